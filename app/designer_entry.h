// The designer's start: the command line, the folders, the windows, and an
// end on SIGTERM or SIGHUP as if the main window's close box was pressed.
#pragma once

#include "data_folders.h"
#include "designer_session.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <optional>

namespace kr {

// What `krmake [--help | --version | FILE]` asks for.
struct DesignerCommandLine {
    enum class Request { Run, Help, Version, UsageError };
    Request Do = Request::Run;
    QString Text;  // the help, the version line or the usage error (Japanese)
    std::optional<std::filesystem::path> UnitFile;
};
// `arguments` begins with the program's name, as QCoreApplication::arguments().
DesignerCommandLine ParseDesignerCommandLine(const QStringList& arguments);

// Whether the command line may ask for the windows at all: not for --help,
// --version, or an option that is none of ours, which are answered without
// a display.
bool NeedsWindows(int argc, char** argv);

// Puts Qt's own texts in Japanese, creates the windows over the folders and
// shows the main window; the unit file, if one is given, opens as the load
// command does after its dialog, once the catalogs are there. With
// `loading` (begun as early as main() could) the window is painted while
// the catalogs load; without, they load here first.
std::unique_ptr<DesignerSession> StartDesigner(const DataFolders& folders,
                                               const std::optional<std::filesystem::path>& unitFile,
                                               std::optional<CatalogsLoading> loading = std::nullopt);

// What main() begins before the application object exists, while Qt starts:
// finding the folders and loading the catalogs.
struct EarlyStart {
    DataFolders Folders = ResolveDataFolders();
    CatalogsLoading Catalogs{Folders.Catalogs};
};

// The whole program on an application object created by main(): a
// QApplication, or a QCoreApplication when NeedsWindows() said no. `early`
// is what main() began for the windows, if anything.
int DesignerMain(QCoreApplication& application, std::unique_ptr<EarlyStart> early = nullptr);

}  // namespace kr
