#include "f_picker.h"

#include "window_kit.h"

#include <QVBoxLayout>

namespace kr {

TfrmPicker::TfrmPicker(QWidget* owner, const char* captionUtf8, const PlacementKeys& keys,
                       std::filesystem::path settingsFile)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      keys_(keys),
      settingsFile_(std::move(settingsFile)) {
    setWindowTitle(Utf8ToQString(captionUtf8));
    setFont(GothicFont(12));
}

TfrmPicker::~TfrmPicker() { StorePlacement(this, settingsFile_, keys_); }

void TfrmPicker::FormCreate(std::unique_ptr<RowTableModel::Source> source, std::vector<ColumnSpec> columns,
                            bool checkable) {
    RestorePlacement(this, settingsFile_, keys_);

    model_ = new RowTableModel(std::move(source), std::move(columns), checkable, this);
    lvw_ = new ReportListView(this);
    lvw_->SetRowModel(model_);
    lvw_->KeyDown = [this](int virtualKey) {
        if (virtualKey != 27) return false;
        reject();
        return true;
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lvw_);
}

void TfrmPicker::ToggleSelectedTick() {
    const long row = lvw_->SelectedRow();
    if (row < 0) return;
    const QModelIndex cell = model_->index(static_cast<int>(row), 0);
    const bool checked = model_->data(cell, Qt::CheckStateRole).toInt() == Qt::Checked;
    model_->setData(cell, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void TfrmPicker::ShowModal() {
    exec();
}

void TfrmPicker::Refresh() {
    // Ticks changed under the list; the selection is the user's and stays.
    const long selected = lvw_->SelectedRow();
    model_->Reset();
    lvw_->SelectRow(selected);
}

}  // namespace kr
