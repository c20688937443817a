#include "designer_entry.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>
#include <string_view>

namespace kr {

namespace {

constexpr const char* ProgramName = "krmake";

// SIGTERM and SIGHUP (the session ending, `kill`) close the windows as their
// close boxes would, so each stores its placement on the way out. The
// handler only writes one byte into a socket pair; the event loop reads it.
class EndOnSignals : public QObject {
public:
    EndOnSignals() {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets_) != 0) return;
        ::fcntl(sockets_[0], F_SETFL, O_NONBLOCK);
        ::fcntl(sockets_[1], F_SETFL, O_NONBLOCK);
        writeEnd_ = sockets_[1];
        notifier_ = new QSocketNotifier(sockets_[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { Received(); });
        struct sigaction action {};
        action.sa_handler = &EndOnSignals::Handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, &oldTerm_);
        ::sigaction(SIGHUP, &action, &oldHangUp_);
    }
    ~EndOnSignals() override {
        if (!notifier_) return;
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
        ::sigaction(SIGHUP, &oldHangUp_, nullptr);
        writeEnd_ = -1;
        ::close(sockets_[0]);
        ::close(sockets_[1]);
    }
    EndOnSignals(const EndOnSignals&) = delete;
    EndOnSignals& operator=(const EndOnSignals&) = delete;

    // Whether a signal came before the windows were there to close.
    bool Asked() const { return asked_; }

private:
    static void Handler(int) {
        const int saved = errno;
        const char byte = 1;
        if (writeEnd_ >= 0) [[maybe_unused]] auto written = ::write(writeEnd_, &byte, 1);
        errno = saved;
    }

    void Received() {
        char bytes[16];
        while (::read(sockets_[0], bytes, sizeof bytes) > 0) {
        }
        asked_ = true;
        // Open pickers and message boxes first go, then the main window; its
        // closing ends the event loop as the close box does.
        QApplication::closeAllWindows();
    }

    static inline volatile std::sig_atomic_t writeEnd_ = -1;
    int sockets_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction oldTerm_ {};
    struct sigaction oldHangUp_ {};
    bool asked_ = false;
};

// The help is the program's own, in Japanese like the rest of it; Qt's
// --help-all (its window system's options) is not offered.
constexpr const char* HelpText =
    "使い方: krmake [FILE]\n"
    "        krmake --help | --version\n"
    "\n"
    "ＫＲデザイナ: 卓上ゲームのＫＲユニットの設計シート。\n"
    "\n"
    "  FILE           開くユニットファイル (.kr)。読み込み と同じく開きます\n"
    "  -h, --help     この説明を表示する\n"
    "  -v, --version  版数を表示する\n"
    "\n"
    "カタログと設定の場所は man krmake に、画面での使い方は Help → 使い方 (F1) にあります。\n";

constexpr const char* UsageHint = "使い方: krmake [FILE] | krmake --help | krmake --version";

// What Qt's parser refused, told in Japanese whatever Qt's own translations
// hold: options it does not know, or a value given to an option that takes none.
QString UsageErrorText(const QCommandLineParser& parser, const QStringList& arguments) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        // Each as it was typed, with one dash or two.
        QStringList shown;
        for (const QString& name : unknown) {
            QString typed = QStringLiteral("--") + name;
            for (const QString& argument : arguments.mid(1)) {
                const QString option = argument.left(argument.indexOf(u'='));
                if (option == u'-' + name || option == QStringLiteral("--") + name) typed = option;
            }
            shown.append(typed);
        }
        return QStringLiteral("不明なオプション: ") + shown.join(QStringLiteral(", "));
    }
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--")) break;
        if (argument.startsWith(u'-') && argument.contains(u'='))
            return QStringLiteral("オプション ") + argument.left(argument.indexOf(u'=')) +
                   QStringLiteral(" に値は付けられません");
    }
    return QStringLiteral("コマンドラインを読めません: ") + arguments.mid(1).join(u' ');
}

}  // namespace

DesignerCommandLine ParseDesignerCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-platform" is one option, not eight letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("?"), QStringLiteral("help")},
                                  QStringLiteral("この説明を表示する"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("版数を表示する"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("開くユニットファイル (.kr)"),
                                 QStringLiteral("[FILE]"));

    DesignerCommandLine line;
    if (!parser.parse(arguments)) {
        line.Do = DesignerCommandLine::Request::UsageError;
        line.Text = UsageErrorText(parser, arguments);
    } else if ((parser.isSet(help) || parser.isSet(version)) && !parser.positionalArguments().isEmpty()) {
        // --help and --version take nothing else to work on.
        line.Do = DesignerCommandLine::Request::UsageError;
        line.Text = QStringLiteral("%1 と共に %2 は指定できません")
                        .arg(parser.isSet(help) ? QStringLiteral("--help") : QStringLiteral("--version"),
                             parser.positionalArguments().front());
    } else if (parser.isSet(help)) {
        line.Do = DesignerCommandLine::Request::Help;
        line.Text = QString::fromUtf8(HelpText);
    } else if (parser.isSet(version)) {
        line.Do = DesignerCommandLine::Request::Version;
        line.Text = QStringLiteral("%1 %2\n").arg(QString::fromLatin1(ProgramName), QStringLiteral(KR_VERSION));
    } else if (parser.positionalArguments().size() > 1) {
        line.Do = DesignerCommandLine::Request::UsageError;
        line.Text = QStringLiteral("開けるユニットファイルは一つだけです");
    } else if (!parser.positionalArguments().isEmpty()) {
        line.UnitFile = PathOf(parser.positionalArguments().front());
    }
    return line;
}

bool NeedsWindows(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") break;
        // Our options, and any other long option or single letter after a
        // dash, are answered on the terminal: help, the version, or a usage
        // error. Qt's own options for the window system are words after one
        // dash (-platform, -style) and are left to Qt.
        const bool longOption = argument.size() > 2 && argument.substr(0, 2) == "--";
        const bool letter = argument.size() == 2 && argument[0] == '-' && argument[1] != '-';
        if (longOption || letter) return false;
    }
    return true;
}

std::unique_ptr<DesignerSession> StartDesigner(const DataFolders& folders,
                                               const std::optional<std::filesystem::path>& unitFile,
                                               std::optional<CatalogsLoading> loading) {
    InstallJapaneseTranslations();
    auto session = loading ? std::make_unique<DesignerSession>(folders, std::move(*loading))
                           : std::make_unique<DesignerSession>(folders);
    TfrmMain& main = session->Main();
    main.show();
    // The window paints before the file loads, which waits for the catalogs.
    if (unitFile) main.AfterCatalogs([&main, file = *unitFile] { main.OpenUnitFile(file); });
    return session;
}

int DesignerMain(QCoreApplication& application, std::unique_ptr<EarlyStart> early) {
    QCoreApplication::setApplicationName(QString::fromLatin1(ProgramName));
    QCoreApplication::setApplicationVersion(QStringLiteral(KR_VERSION));

    const DesignerCommandLine line = ParseDesignerCommandLine(QCoreApplication::arguments());
    switch (line.Do) {
    case DesignerCommandLine::Request::Help:
    case DesignerCommandLine::Request::Version:
        std::cout << line.Text.toStdString() << std::flush;
        return std::cout ? 0 : 1;
    case DesignerCommandLine::Request::UsageError:
        std::cerr << ProgramName << ": " << line.Text.toStdString() << '\n' << UsageHint << '\n';
        return 2;
    case DesignerCommandLine::Request::Run:
        break;
    }
    if (!qobject_cast<QApplication*>(&application)) return 2;
    // Lets the desktop match the windows with the desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(KR_APPLICATION_ID));

    const EndOnSignals ending;
    if (!early) early = std::make_unique<EarlyStart>();
    const std::unique_ptr<DesignerSession> session =
        StartDesigner(early->Folders, line.UnitFile, std::move(early->Catalogs));
    // A signal that came while an error box of the start was open closed
    // that box only; the windows now go as well.
    if (ending.Asked()) return 0;
    return QApplication::exec();
}

}  // namespace kr
