// Small pieces every window uses: the application's error box, the window
// font, text conversion at the Qt boundary, window placement on screen, and
// the seam through which dialogs and the desktop are reached.
#pragma once

#include "Pub1.h"
#include "placement.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kr {

extern const char* const ApplicationTitle;  // "ＫＲデザイナ" (UTF-8)

// CP932 bytes <-> QString.
QString Cp932ToQString(std::string_view cp932);
// UTF-8 literal / message -> QString.
inline QString Utf8ToQString(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// A path chosen in a dialog as a file-system path, and back.
std::filesystem::path PathOf(const QString& path);
QString PathString(const std::filesystem::path& path);

// A tooltip that shows the text as it is: names and paths from files may
// look like markup, which a tooltip would otherwise render.
QString PlainToolTip(const QString& text);

// The message as the error box shows it: "." is added unless the last
// character sorts at or before ".".
QString ErrorBoxText(const QString& message);
// Modal box titled "ＫＲデザイナ" with the error icon.
void ShowErrorBox(QWidget* parent, const QString& message);

// Runs one command; a KrError (or any other std::exception) stops the
// command and is shown in the error box. Exceptions never reach Qt's loop.
void Guarded(QWidget* parent, const std::function<void()>& command);

// Puts Qt's own texts (file dialogs, message box buttons, the edit boxes'
// context menus) in Japanese, from the Qt installation's qtbase_ja.qm. The
// program's own texts are Japanese already. Without that file, Qt's own
// texts stay in English.
void InstallJapaneseTranslations();

// "ＭＳ Ｐゴシック" at the given pixel size; a Japanese Gothic face stands in
// where that face is not installed.
QFont GothicFont(int pixelSize);
// Registers the substitutes once per process.
void InstallFontSubstitutes();

// The outer frame of a window, and placing a window so that its outer frame
// is the given one (also once a window manager has added its frame).
Placement FramePlacement(const QWidget* window);
void ApplyPlacement(QWidget* window, const Placement& placement);
// The smallest outer frame (window manager's frame included) the window may have.
void SetMinimumFrameSize(QWidget* window, const QSize& minimum);

// Reads a window's placement from the settings file / writes it back (the
// write error goes to the error box, once a run however many windows fail
// to store theirs). Storing creates the settings file's folder when it is
// not there yet.
void RestorePlacement(QWidget* window, const std::filesystem::path& settingsFile, const PlacementKeys& keys);
void StorePlacement(QWidget* window, const std::filesystem::path& settingsFile, const PlacementKeys& keys);

// Where the program meets file dialogs and the desktop. The program uses the
// real dialogs; tests put their own functions in.
struct FileDialogRequest {
    QString Filter;            // Qt filter text, e.g. "krファイル (*.kr);;全て (*.*)"
    QString DefaultSuffix;     // "kr", "html"
    QString InitialFileName;   // the dialog's kept file name
    bool Save = false;
};
struct DesktopSeam {
    // Returns the chosen path, or an empty string when cancelled.
    std::function<QString(QWidget* parent, const FileDialogRequest&)> ChooseFile;
    // Asks the desktop to open a document; false when no program could be
    // asked to show it.
    std::function<bool(const QString& path)> OpenDocument;
    // Replaces the clipboard with one plain text; false when it cannot be opened.
    std::function<bool(const QString& text)> SetClipboardText;
    // Shows the application's error box (already with its final text).
    std::function<void(QWidget* parent, const QString& text)> ShowErrorMessage;
};
DesktopSeam& Desktop();  // the real one unless a test replaced its functions

}  // namespace kr
