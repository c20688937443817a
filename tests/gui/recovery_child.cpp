// A design session for the recovery test to kill: the windows over the
// folder given, the stock model given, typed into the name box; then it
// says so on standard output and waits to be killed.
#include "designer_session.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 4) return 2;
    kr::DesignerSession session{std::filesystem::path(argv[1])};
    session.Main().show();
    QTimer::singleShot(0, [&] {
        session.Main().mnuNewClick(std::atoi(argv[2]));
        session.Main().txtKrName->setFocus();
        session.Main().txtKrName->selectAll();
        session.Main().txtKrName->insert(QString::fromUtf8(argv[3]));
        std::puts("changed");
        std::fflush(stdout);
    });
    return application.exec();
}
