#include "window_kit.h"

#include "codec.h"

#include <algorithm>
#include <set>
#include <system_error>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QMessageBox>
#include <QTextDocument>
#include <QPointer>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

namespace kr {

const char* const ApplicationTitle = "ＫＲデザイナ";

QString Cp932ToQString(std::string_view cp932) { return Utf8ToQString(Cp932ToUtf8(cp932)); }

std::filesystem::path PathOf(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString PathString(const std::filesystem::path& path) { return QFile::decodeName(path.native().c_str()); }

QString PlainToolTip(const QString& text) {
    // Spaces stay as they are (the sums behind the figures indent their terms).
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpacePre) : text;
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

void InstallJapaneseTranslations() {
    static QTranslator translator;
    if (translator.isEmpty() &&
        translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
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
// before its frame is known stores exactly what it read. A placement that
// does not fit on a screen is shown moved (and shrunk) into one (`shown`),
// but the window keeps the placement it was given for as long as it stands
// where it was shown, so a larger screen later shows it as stored.
class FrameKeeper : public QObject {
public:
    FrameKeeper(QWidget* window, const Placement& wanted, const Placement& shown)
        : QObject(window), window_(window), wanted_(wanted), shown_(shown), client_(window->size()) {
        window->installEventFilter(this);
    }
    void SetWanted(const Placement& wanted, const Placement& shown) {
        wanted_ = wanted;
        shown_ = shown;
        client_ = window_->size();
        pending_ = true;
    }
    // Whether the window still stands as it was placed, its frame not yet known.
    bool Pending() const { return pending_ && window_->size() == client_; }
    const Placement& Wanted() const { return wanted_; }
    // Whether a window shown moved into reach has not been moved since. Its
    // size says nothing: a minimum size may have changed what was asked for.
    bool StandsWhereShown() const {
        return shown_ != wanted_ && window_->frameGeometry().topLeft() == QPoint(shown_.Left, shown_.Top);
    }
    // The smallest outer frame the user may size the window to.
    void SetMinimumFrame(const QSize& minimum) {
        minimumFrame_ = minimum;
        const QSize frame = window_->frameGeometry().size() - window_->size();
        window_->setMinimumSize(EffectiveMinimum() - frame);
    }
    const QSize& MinimumFrame() const { return minimumFrame_; }

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
        if (minimumFrame_.isValid()) window_->setMinimumSize(EffectiveMinimum() - QSize(extraWidth, extraHeight));
        // Sized since it was placed (by the user): leave it as it is.
        if (window_->size() != client_) return;
        if (frame.width() != shown_.Width || frame.height() != shown_.Height)
            window_->resize(std::max(1, shown_.Width - extraWidth), std::max(1, shown_.Height - extraHeight));
    }

    // The minimum, except on a screen smaller than it.
    QSize EffectiveMinimum() const {
        if (!minimumFrame_.isValid()) return {};
        const QScreen* screen = window_->screen();
        if (!screen || screen->availableGeometry().isEmpty()) return minimumFrame_;
        return minimumFrame_.boundedTo(screen->availableGeometry().size());
    }

    QWidget* window_;
    Placement wanted_;
    Placement shown_;
    QSize client_;  // the client size given when placed
    QSize minimumFrame_;
    bool pending_ = true;
};

FrameKeeper* KeeperOf(const QWidget* window) {
    for (QObject* child : window->children())
        if (auto* keeper = dynamic_cast<FrameKeeper*>(child)) return keeper;
    return nullptr;
}

// The available areas of the screens; the primary screen's when the platform
// tells no more.
QList<QRect> ScreenAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        if (!screen->availableGeometry().isEmpty()) areas.append(screen->availableGeometry());
    if (areas.isEmpty())
        if (const QScreen* primary = QGuiApplication::primaryScreen()) areas.append(primary->availableGeometry());
    return areas;
}

// Overlap of a placement with an area, in square pixels (64-bit: placements
// may hold any 32-bit values).
long long Overlap(const Placement& frame, const QRect& area) {
    const long long left = std::max<long long>(frame.Left, area.left());
    const long long top = std::max<long long>(frame.Top, area.top());
    const long long right = std::min<long long>(static_cast<long long>(frame.Left) + frame.Width,
                                                static_cast<long long>(area.left()) + area.width());
    const long long bottom = std::min<long long>(static_cast<long long>(frame.Top) + frame.Height,
                                                 static_cast<long long>(area.top()) + area.height());
    return right > left && bottom > top ? (right - left) * (bottom - top) : 0;
}

bool Inside(const Placement& frame, const QRect& area) {
    return frame.Width > 0 && frame.Height > 0 && frame.Left >= area.left() && frame.Top >= area.top() &&
           static_cast<long long>(frame.Left) + frame.Width <= static_cast<long long>(area.left()) + area.width() &&
           static_cast<long long>(frame.Top) + frame.Height <= static_cast<long long>(area.top()) + area.height();
}

// Smallest size a window given nonsense (zero or negative) sizes is shown at.
constexpr int SmallestShown = 100;

// Where a window of the given placement is shown: as given when it lies
// wholly inside a screen's available area; otherwise inside the area it
// overlaps most (the nearest one when it overlaps none), moved, and shrunk
// where it must be, not below `minimum` unless the area itself is smaller.
Placement FittedPlacement(const Placement& wanted, const QSize& minimum) {
    const QList<QRect> areas = ScreenAreas();
    if (areas.isEmpty()) return wanted;
    const QRect* chosen = nullptr;
    long long best = 0;
    for (const QRect& area : areas) {
        if (Inside(wanted, area)) return wanted;
        const long long overlap = Overlap(wanted, area);
        if (overlap > best) {
            best = overlap;
            chosen = &area;
        }
    }
    if (chosen == nullptr) {
        const long long centerX = wanted.Left + static_cast<long long>(wanted.Width) / 2;
        const long long centerY = wanted.Top + static_cast<long long>(wanted.Height) / 2;
        long long nearest = -1;
        for (const QRect& area : areas) {
            const long long dx = std::clamp<long long>(centerX, area.left(), area.right()) - centerX;
            const long long dy = std::clamp<long long>(centerY, area.top(), area.bottom()) - centerY;
            // Squares of distances up to 2^33 would overflow; the sum of absolutes orders them well enough.
            const long long distance = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
            if (nearest < 0 || distance < nearest) {
                nearest = distance;
                chosen = &area;
            }
        }
    }
    const QRect& area = *chosen;
    const auto fit = [](int wantedSize, int smallest, int room) {
        return std::min(std::max(wantedSize, std::max(smallest, SmallestShown)), room);
    };
    Placement shown;
    shown.Width = fit(wanted.Width, minimum.width(), area.width());
    shown.Height = fit(wanted.Height, minimum.height(), area.height());
    shown.Left = static_cast<std::int32_t>(
        std::clamp<long long>(wanted.Left, area.left(), area.left() + static_cast<long long>(area.width()) - shown.Width));
    shown.Top = static_cast<std::int32_t>(
        std::clamp<long long>(wanted.Top, area.top(), area.top() + static_cast<long long>(area.height()) - shown.Height));
    return shown;
}

}  // namespace

Placement FramePlacement(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const Placement actual{frame.x(), frame.y(), frame.height(), frame.width()};
    if (const FrameKeeper* keeper = KeeperOf(window)) {
        // Not moved or sized since it was placed: the placement it was given,
        // also when it was shown moved into the screens' reach.
        if (keeper->Pending() || keeper->StandsWhereShown())
            return keeper->Wanted();
    }
    return actual;
}

void ApplyPlacement(QWidget* window, const Placement& placement) {
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const int extraWidth = frame.width() - client.width();
    const int extraHeight = frame.height() - client.height();
    FrameKeeper* keeper = KeeperOf(window);
    const Placement shown = FittedPlacement(placement, keeper ? keeper->MinimumFrame() : QSize());
    window->move(shown.Left, shown.Top);
    window->resize(std::max(1, shown.Width - extraWidth), std::max(1, shown.Height - extraHeight));
    if (keeper)
        keeper->SetWanted(placement, shown);
    else
        new FrameKeeper(window, placement, shown);
}

void SetMinimumFrameSize(QWidget* window, const QSize& minimum) {
    FrameKeeper* keeper = KeeperOf(window);
    if (!keeper) keeper = new FrameKeeper(window, FramePlacement(window), FramePlacement(window));
    keeper->SetMinimumFrame(minimum);
}

void RestorePlacement(QWidget* window, const std::filesystem::path& settingsFile, const PlacementKeys& keys) {
    ApplyPlacement(window, keys.Design);
    const ProfileFile settings(settingsFile);
    ApplyPlacement(window, ReadPlacement(settings, keys, keys.Design));
}

void StorePlacement(QWidget* window, const std::filesystem::path& settingsFile, const PlacementKeys& keys) {
    // The windows store their places one after another as they close: a
    // settings file that cannot be written is told for the first only.
    static std::set<std::filesystem::path> failed;
    try {
        // The first run of an installed program has no settings folder yet.
        // A folder that cannot be made shows up as the store's write error.
        std::error_code ignored;
        std::filesystem::create_directories(settingsFile.parent_path(), ignored);
        ProfileFile settings(settingsFile);
        WritePlacement(settings, keys, FramePlacement(window));
        failed.erase(settingsFile);
    } catch (const KrError& error) {
        if (failed.insert(settingsFile).second) ShowErrorBox(window, QString::fromUtf8(error.what()));
    }
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
        [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); },
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
            // Messages name files and their contents: never markup.
            box.setTextFormat(Qt::PlainText);
            box.exec();
        },
    };
    return seam;
}

}  // namespace kr
