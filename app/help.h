// The Help menu's two windows: the short help (使い方, F1) and the About box
// (バージョン情報) with the version, the licence and the files the running
// program actually reads its catalogs and settings from.
#pragma once

#include "data_folders.h"

#include <QDialog>

class QLabel;

namespace kr {

// The help text, from the program's resources; shown without blocking the
// main window, and brought to the front when asked for again.
class TfrmHelp : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHelp(QWidget* parent);
    // Shows the window, or raises it when it is shown already.
    void ShowHelp();
};

// The About box, modal.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    TfrmAbout(QWidget* parent, const DataFolders& folders);

    QLabel* lblVersion = nullptr;
    QLabel* lblMode = nullptr;
    // Each file's full path, with a note when it is not there.
    QLabel* lblWeaponFile = nullptr;
    QLabel* lblOptionFile = nullptr;
    QLabel* lblMoveFile = nullptr;
    QLabel* lblSettingsFile = nullptr;
};

}  // namespace kr
