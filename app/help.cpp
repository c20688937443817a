#include "help.h"

#include "window_kit.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <system_error>

static void InitHelpResources() { Q_INIT_RESOURCE(krmake); }

namespace kr {

namespace {

QString ResourceText(const QString& name) {
    InitHelpResources();
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// A path as the About box shows it: whole, selectable, never taken for
// markup, with a note when nothing is there (a catalog that failed to load,
// a settings file not written yet).
QLabel* PathLabel(QWidget* parent, const char* name, const std::filesystem::path& path, const QString& missing) {
    std::error_code ec;
    const bool there = std::filesystem::exists(path, ec);
    auto* label = new QLabel(PathString(path) + (there ? QString() : QStringLiteral("  (") + missing + u')'), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

TfrmHelp::TfrmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("使い方 - ") + Utf8ToQString(ApplicationTitle));
    setModal(false);
    auto* browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("txtHelp"));
    browser->setOpenLinks(false);
    browser->setHtml(ResourceText(QStringLiteral(":/text/help.html")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    resize(620, 560);
}

void TfrmHelp::ShowHelp() {
    show();
    raise();
    activateWindow();
}

TfrmAbout::TfrmAbout(QWidget* parent, const DataFolders& folders) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報 - ") + Utf8ToQString(ApplicationTitle));

    lblVersion = new QLabel(Utf8ToQString(ApplicationTitle) + QStringLiteral(" (krmake) ") + QStringLiteral(KR_VERSION), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    QFont title = lblVersion->font();
    title.setPointSizeF(title.pointSizeF() * 1.4);
    title.setBold(true);
    lblVersion->setFont(title);
    auto* summary = new QLabel(QStringLiteral("卓上ゲームのＫＲユニットの設計シート\n"
                                              "MIT ライセンスで配布されています (全文は下に)。"),
                               this);

    auto* licence = new QPlainTextEdit(ResourceText(QStringLiteral(":/text/LICENSE")), this);
    licence->setObjectName(QStringLiteral("txtLicence"));
    licence->setReadOnly(true);
    licence->setLineWrapMode(QPlainTextEdit::NoWrap);
    licence->setMinimumHeight(140);
    // Wide enough for the licence's lines as they are broken.
    int widest = 0;
    for (const QString& line : licence->toPlainText().split(u'\n'))
        widest = std::max(widest, licence->fontMetrics().horizontalAdvance(line));
    licence->setMinimumWidth(widest + 2 * licence->frameWidth() + 2 * static_cast<int>(licence->document()->documentMargin()) +
                             licence->verticalScrollBar()->sizeHint().width() + 4);

    lblMode = new QLabel(folders.Mode == RunMode::Portable
                             ? QStringLiteral("ポータブル: カタログと設定は実行ファイルのフォルダにあります")
                             : QStringLiteral("インストール: カタログと設定はそれぞれ次の場所にあります"),
                         this);
    lblMode->setObjectName(QStringLiteral("lblMode"));
    const QString unreadable = QStringLiteral("見つかりません");
    lblWeaponFile = PathLabel(this, "lblWeaponFile", folders.Catalogs.Weapon, unreadable);
    lblOptionFile = PathLabel(this, "lblOptionFile", folders.Catalogs.Option, unreadable);
    lblMoveFile = PathLabel(this, "lblMoveFile", folders.Catalogs.Move, unreadable);
    lblSettingsFile = PathLabel(this, "lblSettingsFile", folders.SettingsFile, QStringLiteral("まだありません"));
    auto* files = new QFormLayout;
    files->addRow(QStringLiteral("weapon.csv"), lblWeaponFile);
    files->addRow(QStringLiteral("option.csv"), lblOptionFile);
    files->addRow(QStringLiteral("move.csv"), lblMoveFile);
    files->addRow(QStringLiteral("KRMAKE.INI"), lblSettingsFile);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblVersion);
    layout->addWidget(summary);
    layout->addWidget(licence);
    layout->addSpacing(8);
    layout->addWidget(lblMode);
    layout->addLayout(files);
    layout->addWidget(buttons);
}

}  // namespace kr
