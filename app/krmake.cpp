// The designer's entry: one session over the folder of the executable.
#include "main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    kr::InstallJapaneseTranslations();
    kr::DesignerSession session(kr::ApplicationDirectory());
    session.Main().show();
    return application.exec();
}
