#include "f_picker.h"

#include "codec.h"
#include "window_kit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>

#include <thread>

namespace kr {

namespace {

// The filter line: every key press is offered to the picker first.
class FilterLineEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<bool(int qtKey)> KeyDown;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (KeyDown && KeyDown(event->key())) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

}  // namespace

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
    // The list gets its rows when the picker is first shown (showEvent): a
    // hidden list over a large catalog would otherwise lay out every row at
    // start-up.
    lvw_->KeyDown = [this](int virtualKey) {
        if (virtualKey != VirtualKey::Escape) return false;
        EscapeInList();
        return true;
    };

    auto* filter = new FilterLineEdit(this);
    filter->setObjectName(QStringLiteral("txtFilter"));
    filter->setPlaceholderText(Utf8ToQString("名前で絞り込み (Esc で解除)"));
    filter->hide();
    filter->KeyDown = [this](int qtKey) {
        switch (qtKey) {
        case Qt::Key_Escape:
            HideFilter();
            return true;
        case Qt::Key_Down:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            EnterList();
            return true;
        default:
            return false;
        }
    };
    connect(filter, &QLineEdit::textChanged, this,
            [this](const QString& text) { Guarded(this, [&] { ApplyFilter(text); }); });
    txtFilter_ = filter;
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, &TfrmPicker::ShowFilter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lvw_);
    layout->addWidget(txtFilter_);
}

void TfrmPicker::ToggleSelectedTick() {
    const long row = lvw_->SelectedRow();
    if (row < 0) return;
    const QModelIndex cell = model_->index(static_cast<int>(row), 0);
    const bool checked = model_->data(cell, Qt::CheckStateRole).toInt() == Qt::Checked;
    model_->setData(cell, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

long TfrmPicker::SelectedSourceRow() const {
    const long row = lvw_->SelectedRow();
    return row < 0 ? -1 : static_cast<long>(model_->SourceRow(static_cast<int>(row)));
}

void TfrmPicker::EscapeInList() {
    if (!txtFilter_->isHidden())
        HideFilter();
    else
        reject();
}

void TfrmPicker::ShowModal() {
    exec();
}

void TfrmPicker::showEvent(QShowEvent* event) {
    if (lvw_->RowModel() == nullptr) lvw_->SetRowModel(model_);
    BeginFolding();
    QDialog::showEvent(event);
}

void TfrmPicker::BeginFolding() {
    if (keysReady_ || folding_.valid()) return;
    // One core stays with the window.
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned threads = cores > 2 ? cores - 1 : 1;
    const RowTableModel::Source* rows = &model_->Rows();
    folding_ = std::async(std::launch::async, [this, rows, threads] {
        captionKeys_.Build(rows->Count(), [rows](std::size_t row) { return rows->Caption(row); }, threads);
    });
}

const CaptionKeys& TfrmPicker::SearchKeys() {
    if (!keysReady_) {
        BeginFolding();
        // A fold that failed throws here, and begins again at the next keystroke.
        std::future<void> folding = std::move(folding_);
        folding.get();
        keysReady_ = true;
    }
    return captionKeys_;
}

void TfrmPicker::Refresh() {
    // The rows, the selection, the filter and the place in the list stay.
    if (lvw_->RowModel() != nullptr && isVisible()) model_->TicksChanged();
}

void TfrmPicker::ShowFilter() {
    txtFilter_->show();
    txtFilter_->setFocus(Qt::ShortcutFocusReason);
    txtFilter_->selectAll();
}

void TfrmPicker::HideFilter() {
    txtFilter_->clear();
    txtFilter_->hide();
    lvw_->setFocus(Qt::OtherFocusReason);
}

void TfrmPicker::EnterList() {
    lvw_->setFocus(Qt::OtherFocusReason);
    if (model_->rowCount() > 0) lvw_->SelectRow(0);
}

void TfrmPicker::ApplyFilter(const QString& text) {
    // The selected row stays selected while it shows.
    const long selected = SelectedSourceRow();
    bool changed = false;
    if (text.isEmpty()) {
        filter_.Clear();
        changed = model_->ShowAllRows();
    } else {
        // The typed text as the name box would store it; a character that
        // CP932 lacks is in no caption, so no row matches.
        std::string leftOut;
        const QByteArray utf8 = text.toUtf8();
        const std::string typed =
            Utf8ToCp932Lossy(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), &leftOut);
        if (!leftOut.empty()) {
            changed = model_->ShowRows(nullptr);
        } else {
            const CaptionFilter::Shown shown = filter_.Apply(SearchKeys(), SearchKey(typed));
            changed = shown.Every ? model_->ShowAllRows() : model_->ShowRows(shown.Rows);
        }
    }
    if (changed && selected >= 0) lvw_->SelectRow(model_->ShownRow(static_cast<std::size_t>(selected)));
}

}  // namespace kr
