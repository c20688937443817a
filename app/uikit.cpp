#include "uikit.h"

#include "codec.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace kr {

const char* const ApplicationTitle = "ＫＲデザイナ";

QString Qs(std::string_view cp932) { return Qu(Cp932ToUtf8(cp932)); }

std::optional<std::string> ToCp932(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp932(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.')) return message + u'.';
    return message;
}

void ShowErrorBox(QWidget* parent, const QString& message) {
    Desktop().ShowErrorMessage(parent, ErrorBoxText(message));
}

void Guarded(QWidget* parent, const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ShowErrorBox(parent, QString::fromUtf8(error.what()));
    }
}

void InstallFontSubstitutes() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAPゴシック"),
                                QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});
}

QFont GothicFont(int pixelSize) {
    InstallFontSubstitutes();
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

namespace {

// Once a window manager has given a shown window its frame, the client size
// is corrected so that the outer frame has the placement asked for. Until
// then the window's placement is the one asked for, so a window closed
// before its frame is known stores exactly what it read.
class FrameKeeper : public QObject {
public:
    FrameKeeper(QWidget* window, const Placement& wanted)
        : QObject(window), window_(window), wanted_(wanted), client_(window->size()) {
        window->installEventFilter(this);
    }
    void SetWanted(const Placement& wanted) {
        wanted_ = wanted;
        client_ = window_->size();
        pending_ = true;
    }
    // Whether the window still stands as it was placed, its frame not yet known.
    bool Pending() const { return pending_ && window_->size() == client_; }
    const Placement& Wanted() const { return wanted_; }
    // The smallest outer frame the user may size the window to.
    void SetMinimumFrame(const QSize& minimum) {
        minimumFrame_ = minimum;
        window_->setMinimumSize(minimum);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (watched == window_ && pending_ &&
            (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize))
            QTimer::singleShot(0, this, [this] { Settle(); });
        return false;
    }

private:
    void Settle() {
        if (!pending_ || !window_->isVisible()) return;
        const QRect frame = window_->frameGeometry();
        const QRect client = window_->geometry();
        const int extraWidth = frame.width() - client.width();
        const int extraHeight = frame.height() - client.height();
        if (extraWidth == 0 && extraHeight == 0) return;  // no frame (yet)
        pending_ = false;
        if (minimumFrame_.isValid())
            window_->setMinimumSize(minimumFrame_.width() - extraWidth, minimumFrame_.height() - extraHeight);
        // Sized since it was placed (by the user): leave it as it is.
        if (window_->size() != client_) return;
        if (frame.width() != wanted_.Width || frame.height() != wanted_.Height)
            window_->resize(wanted_.Width - extraWidth, wanted_.Height - extraHeight);
    }

    QWidget* window_;
    Placement wanted_;
    QSize client_;  // the client size given when placed
    QSize minimumFrame_;
    bool pending_ = true;
};

FrameKeeper* KeeperOf(const QWidget* window) {
    for (QObject* child : window->children())
        if (auto* keeper = dynamic_cast<FrameKeeper*>(child)) return keeper;
    return nullptr;
}

}  // namespace

Placement FramePlacement(const QWidget* window) {
    if (const FrameKeeper* keeper = KeeperOf(window); keeper && keeper->Pending()) return keeper->Wanted();
    const QRect frame = window->frameGeometry();
    return Placement{frame.x(), frame.y(), frame.height(), frame.width()};
}

void ApplyPlacement(QWidget* window, const Placement& placement) {
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const int extraWidth = frame.width() - client.width();
    const int extraHeight = frame.height() - client.height();
    window->move(placement.Left, placement.Top);
    window->resize(std::max(1, placement.Width - extraWidth), std::max(1, placement.Height - extraHeight));
    if (FrameKeeper* keeper = KeeperOf(window))
        keeper->SetWanted(placement);
    else
        new FrameKeeper(window, placement);
}

void SetMinimumFrameSize(QWidget* window, const QSize& minimum) {
    FrameKeeper* keeper = KeeperOf(window);
    if (!keeper) keeper = new FrameKeeper(window, FramePlacement(window));
    keeper->SetMinimumFrame(minimum);
}

void RestorePlacement(QWidget* window, const std::filesystem::path& directory, const PlacementKeys& keys) {
    ApplyPlacement(window, keys.Design);
    const ProfileFile settings(directory / SettingsFileName);
    ApplyPlacement(window, ReadPlacement(settings, keys, keys.Design));
}

void StorePlacement(QWidget* window, const std::filesystem::path& directory, const PlacementKeys& keys) {
    Guarded(window, [&] {
        ProfileFile settings(directory / SettingsFileName);
        WritePlacement(settings, keys, FramePlacement(window));
    });
}

namespace {

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The open dialog does not insist on an existing file; saving never asks before replacing.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilter(request.Filter);
    dialog.setDefaultSuffix(request.DefaultSuffix);
    if (!request.InitialFileName.isEmpty()) dialog.selectFile(request.InitialFileName);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

}  // namespace

DesktopSeam& Desktop() {
    static DesktopSeam seam{
        RunFileDialog,
        [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); },
        [](const QString& text) {
            QClipboard* clipboard = QGuiApplication::clipboard();
            if (!clipboard) return false;
            clipboard->clear();
            clipboard->setText(text);
            return true;
        },
        [](QWidget* parent, const QString& text) {
            QMessageBox box(QMessageBox::Critical, QString::fromUtf8(ApplicationTitle), text, QMessageBox::Ok,
                            parent);
            box.exec();
        },
    };
    return seam;
}

}  // namespace kr
