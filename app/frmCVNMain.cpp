#include "app/frmCVNMain.h"

#include "about/frmCVNAbout.h"
#include "app/AsciiCase.h"
#include "app/CVNInfo.h"
#include "app/FileListModel.h"
#include "app/Pictures.h"
#include "app/RadioGroup.h"
#include "hash/FileDigest.h"
#include "platform/TextEncoding.h"
#include "ui_frmCVNMain.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const int MinimumClientWidth = 400;
const int MinimumClientHeight = 336;

void ShowMatch(QLabel* image, const QLineEdit* comparison, const QLineEdit* result) {
    if (comparison->text().isEmpty()) {
        image->hide();
        return;
    }
    image->show();
    // Loaded afresh each time, as the picture of a resource.
    image->setPixmap(LoadTransparentBitmap(SameTextAscii(comparison->text(), result->text())
                                               ? QStringLiteral(":/bitmaps/OKBITMAP.bmp")
                                               : QStringLiteral(":/bitmaps/ERRORBITMAP.bmp")));
}

} // namespace

TCVNMainForm::TCVNMainForm(QWidget* parent) : TCVNBaseForm(parent) {
    Ui::TCVNMainForm ui;
    ui.setupUi(this);
    ExitButton = ui.ExitButton;
    AboutButton = ui.AboutButton;
    PageControl = ui.PageControl;
    FileTabSheet = ui.FileTabSheet;
    AlgorithmGroup = ui.AlgorithmGroup;
    FileLabel = ui.FileLabel;
    FileResultLabel = ui.FileResultLabel;
    FileComparisonLabel = ui.FileComparisonLabel;
    FileResultEdit = ui.FileResultEdit;
    FileComparisonEdit = ui.FileComparisonEdit;
    FileImage = ui.FileImage;
    FileListView = ui.FileListView;
    AddButton = ui.AddButton;
    DeleteButton = ui.DeleteButton;
    CleanUpButton = ui.CleanUpButton;
    TextTabSheet = ui.TextTabSheet;
    TextLabel = ui.TextLabel;
    TextEdit = ui.TextEdit;
    EncodingGroup = ui.EncodingGroup;
    TextResultLabel = ui.TextResultLabel;
    TextResultEdit = ui.TextResultEdit;
    TextComparisonLabel = ui.TextComparisonLabel;
    TextComparisonEdit = ui.TextComparisonEdit;
    TextImage = ui.TextImage;
    CaseGroup = ui.CaseGroup;

    AlgorithmItems = new TRadioGroup(AlgorithmGroup, 1);
    CaseItems = new TRadioGroup(CaseGroup, 1);
    EncodingItems = new TRadioGroup(EncodingGroup, 3);

    QIcon icon;
    for (int side : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/MAINICON-%1.png").arg(side));
    setWindowIcon(icon);
    setMinimumSize(MinimumClientWidth, MinimumClientHeight);

    SetButtonStrip(AddButton, QStringLiteral(":/bitmaps/AddButton.bmp"));
    SetButtonStrip(DeleteButton, QStringLiteral(":/bitmaps/DeleteButton.bmp"));
    SetButtonStrip(CleanUpButton, QStringLiteral(":/bitmaps/CleanUpButton.bmp"));
    SetUpFileList();

    OpenDialog = new QFileDialog(this);
    OpenDialog->setFileMode(QFileDialog::ExistingFiles);
    // "*" and not "*.*", so that names without a dot are listed too.
    OpenDialog->setNameFilter(QStringLiteral("All Files(*.*) (*)"));
    OpenDialog->setOption(QFileDialog::HideNameFilterDetails);

    ConnectHandlers();
    FormCreate();

    // Labels take the size of their text, translated or not, with their top-left corner kept.
    for (QLabel* label : {FileLabel, FileResultLabel, FileComparisonLabel, TextLabel,
                          TextResultLabel, TextComparisonLabel})
        label->adjustSize();

    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->availableGeometry()));
}

TCVNMainForm::~TCVNMainForm() {
    FormDestroy();
}

void TCVNMainForm::SetUpFileList() {
    FileListModel =
        new TFileListModel([this](const TCVNInfo& info) { return StatusText(info); }, this);
    FileListView->setModel(FileListModel);

    // The header fits the stretched "Filename" column whenever the rows or the view's width
    // change, so nothing needs to nudge it.
    QHeaderView* header = FileListView->header();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionResizeMode(TFileListModel::FileNameColumn, QHeaderView::Stretch);
    header->resizeSection(TFileListModel::RowCaptionColumn, 1);
    header->resizeSection(TFileListModel::NumberColumn, 40);
    header->resizeSection(TFileListModel::StatusColumn, 100);

    // The selection stays as visible as with the focus when the list loses it.
    QPalette palette = FileListView->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    FileListView->setPalette(palette);
}

void TCVNMainForm::ConnectHandlers() {
    FileTabSheet->installEventFilter(this);
    TextTabSheet->installEventFilter(this);

    // A radio group's click comes for every new choice, made by the user or by the program.
    const auto onChoice = [this](TRadioGroup* group, void (TCVNMainForm::*handler)()) {
        connect(group->Buttons, &QButtonGroup::idToggled, this, [this, handler](int, bool checked) {
            if (checked)
                (this->*handler)();
        });
    };
    onChoice(AlgorithmItems, &TCVNMainForm::AlgorithmGroupClick);
    onChoice(CaseItems, &TCVNMainForm::CaseGroupClick);
    onChoice(EncodingItems, &TCVNMainForm::EncodingGroupClick);

    connect(TextEdit, &QLineEdit::textChanged, this, &TCVNMainForm::TextEditChange);
    connect(TextComparisonEdit, &QLineEdit::textChanged, this,
            &TCVNMainForm::TextComparisonEditChange);
    connect(FileComparisonEdit, &QLineEdit::textChanged, this,
            &TCVNMainForm::FileComparisonEditChange);
    connect(ExitButton, &QPushButton::clicked, this, &TCVNMainForm::ExitButtonClick);
    connect(AboutButton, &QPushButton::clicked, this, &TCVNMainForm::AboutButtonClick);
    connect(AddButton, &QToolButton::clicked, this, &TCVNMainForm::AddButtonClick);
    connect(DeleteButton, &QToolButton::clicked, this, &TCVNMainForm::DeleteButtonClick);
    connect(CleanUpButton, &QToolButton::clicked, this, &TCVNMainForm::CleanUpButtonClick);

    // The rows whose selection changed count as reported one by one, the deselected ones first.
    // Each report fills the result box anew and the rest depends on the selection alone, so
    // only the last one of a change is made: a selection of many rows costs as much as one.
    connect(FileListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (!selected.isEmpty())
                    FileListViewSelectItem(FileListView, selected.last().bottom(), true);
                else if (!deselected.isEmpty())
                    FileListViewSelectItem(FileListView, deselected.last().bottom(), false);
            });
}

void TCVNMainForm::FormCreate() {
    const auto caption = [this](auto* control, const char* key) {
        control->setText(Translate(QLatin1String(key), control->text()));
    };
    const auto hint = [this](QWidget* control, const char* key) {
        control->setToolTip(Translate(QLatin1String(key), control->toolTip()));
    };
    const auto items = [this](const TRadioGroup* group, const char* format) {
        for (int i = 0; i < group->Count(); ++i)
            group->Item(i)->setText(
                Translate(QString::asprintf(format, i + 1), group->Item(i)->text()));
    };
    const auto title = [this](QGroupBox* group, const char* key) {
        group->setTitle(Translate(QLatin1String(key), group->title()));
    };

    caption(AboutButton, "AboutButton.Caption");
    caption(ExitButton, "ExitButton.Caption");
    for (int i = 0; i < PageControl->count(); ++i)
        PageControl->setTabText(
            i, Translate(QString::asprintf("Page#%d.Caption", i + 1), PageControl->tabText(i)));
    title(AlgorithmGroup, "AlgorithmGroup.Caption");
    items(AlgorithmItems, "AlgorithmGroup.Item#%d");
    title(CaseGroup, "CaseGroup.Caption");
    items(CaseItems, "CaseGroup.Item#%d");
    hint(AddButton, "AddButton.Hint");
    hint(DeleteButton, "DeleteButton.Hint");
    hint(CleanUpButton, "CleanUpButton.Hint");
    caption(FileComparisonLabel, "FileComparisonLabel.Caption");
    caption(FileLabel, "FileLabel.Caption");
    // Column 0 is the hidden one and keeps its empty caption.
    for (int column = 1; column < FileListModel->columnCount(); ++column)
        FileListModel->setHeaderData(
            column, Qt::Horizontal,
            Translate(QString::asprintf("FileListView.Column#%d", column),
                      FileListModel->headerData(column, Qt::Horizontal).toString()));
    caption(FileResultLabel, "FileResultLabel.Caption");
    title(EncodingGroup, "EncodingGroup.Caption");
    items(EncodingItems, "EncodingGroup.Item#%d");
    caption(TextComparisonLabel, "TextComparisonLabel.Caption");
    caption(TextLabel, "TextLabel.Caption");
    caption(TextResultLabel, "TextResultLabel.Caption");

    UpdateButtons();
    setAcceptDrops(true);
}

void TCVNMainForm::FormDestroy() {
    // The worker is not waited for: it drops the digest in progress and ends by itself.
    if (FileThread != nullptr) {
        FileThread->Terminate();
        FileThread->Detach();
        FileThread = nullptr;
    }
    for (int row = FileListModel->Count() - 1; row >= 0; --row)
        FreeFileRecord(row);
}

void TCVNMainForm::HashText() {
    const QString text = TextEdit->text();
    if (text.isEmpty()) {
        TextResultEdit->clear();
    } else {
        const std::string bytes =
            EncodeText(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                           static_cast<std::size_t>(text.size())),
                       EncodingItems->ItemIndex());
        QString digest = QString::fromStdString(DigestOfBuffer(
            AlgorithmOfIndex(AlgorithmItems->ItemIndex()), bytes.data(), bytes.size()));
        if (CaseItems->ItemIndex() == 1)
            digest = AsciiLowerCase(digest);
        TextResultEdit->setText(digest);
    }
    UpdateTextComparison();
}

void TCVNMainForm::UpdateFileComparison() {
    ShowMatch(FileImage, FileComparisonEdit, FileResultEdit);
}

void TCVNMainForm::UpdateTextComparison() {
    ShowMatch(TextImage, TextComparisonEdit, TextResultEdit);
}

void TCVNMainForm::AlgorithmGroupClick() {
    RequestAlgorithm();
    HashText();
}

void TCVNMainForm::CaseGroupClick() {
    const auto recase = CaseItems->ItemIndex() == 0 ? AsciiUpperCase : AsciiLowerCase;
    FileResultEdit->setText(recase(FileResultEdit->text()));
    TextResultEdit->setText(recase(TextResultEdit->text()));
}

void TCVNMainForm::EncodingGroupClick() {
    HashText();
}

void TCVNMainForm::TextEditChange() {
    HashText();
}

void TCVNMainForm::TextComparisonEditChange() {
    UpdateTextComparison();
}

void TCVNMainForm::FileComparisonEditChange() {
    UpdateFileComparison();
}

void TCVNMainForm::ExitButtonClick() {
    close();
}

void TCVNMainForm::AboutButtonClick() {
    const auto about = std::make_unique<TCVNAboutForm>(this);
    about->ShowModal();
}

void TCVNMainForm::resizeEvent(QResizeEvent* event) {
    TCVNBaseForm::resizeEvent(event);
    FormResize();
}

bool TCVNMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == FileTabSheet)
            FileTabSheetResize();
        else if (watched == TextTabSheet)
            TextTabSheetResize();
    }
    return TCVNBaseForm::eventFilter(watched, event);
}

void TCVNMainForm::FormResize() {
    if (height() < MinimumClientHeight)
        resize(width(), MinimumClientHeight);
    if (width() < MinimumClientWidth)
        resize(MinimumClientWidth, height());
    AboutButton->move(width() - AboutButton->width() - 16, height() - AboutButton->height() - 16);
    ExitButton->move(AboutButton->x(), AboutButton->y() - ExitButton->height() - 8);
    AlgorithmGroup->move(AboutButton->x(), AlgorithmGroup->y());
    CaseGroup->move(AboutButton->x(), CaseGroup->y());
    PageControl->resize(AboutButton->x() - 32, height() - 32);
}

void TCVNMainForm::FileTabSheetResize() {
    const int w = FileTabSheet->width();
    const int h = FileTabSheet->height();
    FileComparisonEdit->setGeometry(FileComparisonEdit->x(), h - FileComparisonEdit->height() - 16,
                                    w - 32, FileComparisonEdit->height());
    FileComparisonLabel->move(FileComparisonLabel->x(), FileComparisonEdit->y() - 24);
    FileImage->move(FileComparisonEdit->x() + FileComparisonEdit->width() - FileImage->width(),
                    FileComparisonLabel->y());
    FileResultEdit->setGeometry(FileResultEdit->x(),
                                FileComparisonLabel->y() - FileResultEdit->height() - 16,
                                FileComparisonEdit->width(), FileResultEdit->height());
    FileResultLabel->move(FileResultLabel->x(), FileResultEdit->y() - 24);
    FileListView->resize(FileComparisonEdit->width(),
                         FileResultLabel->y() - FileListView->y() - 16);
    CleanUpButton->move(FileListView->x() + FileListView->width() - CleanUpButton->width(),
                        CleanUpButton->y());
    DeleteButton->move(CleanUpButton->x() - DeleteButton->width(), DeleteButton->y());
    AddButton->move(DeleteButton->x() - AddButton->width(), AddButton->y());
}

void TCVNMainForm::TextTabSheetResize() {
    TextEdit->resize(TextTabSheet->width() - 32, TextEdit->height());
    EncodingGroup->resize(TextEdit->width(), EncodingGroup->height());
    TextResultEdit->resize(TextEdit->width(), TextResultEdit->height());
    TextComparisonEdit->resize(TextEdit->width(), TextComparisonEdit->height());
    TextImage->move(TextEdit->x() + TextEdit->width() - TextImage->width(), TextImage->y());
}

void TCVNMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TCVNMainForm::dropEvent(QDropEvent* event) {
    WMDropFiles(event);
}

QString TCVNMainForm::StatusText(const TCVNInfo& info) const {
    switch (info.Status) {
    case TCVNInfo::StatusWaiting:
        return Translate(QStringLiteral("StatusWaiting"), QStringLiteral("Waiting..."));
    case TCVNInfo::StatusCalculating:
        return Translate(QStringLiteral("StatusCalculating"), QStringLiteral("Calculating..."));
    case TCVNInfo::StatusDone:
        return Translate(QStringLiteral("StatusDone"), QStringLiteral("Done"));
    default:
        return Translate(QStringLiteral("StatusFailed"), QStringLiteral("Failed"));
    }
}

void TCVNMainForm::AddButtonClick() {
    if (OpenDialog->exec() == QDialog::Accepted)
        AddFiles(OpenDialog->selectedFiles());
}

void TCVNMainForm::WMDropFiles(QDropEvent* event) {
    QStringList names;
    for (const QUrl& url : event->mimeData()->urls()) {
        const QString name = url.toLocalFile();
        if (!name.isEmpty())
            names << name;
    }
    event->acceptProposedAction();
    AddFiles(names);
}

void TCVNMainForm::AddFiles(const QStringList& names) {
    const int chosen = AlgorithmItems->ItemIndex();
    std::vector<TCVNInfo*> records;
    for (const QString& name : names) {
        if (!FileListModel->Claim(name))
            continue;
        auto* info = new TCVNInfo;
        info->FileName = name;
        info->Wanted(chosen) = true;
        records.push_back(info);
    }
    const int first = FileListModel->Count();
    FileListModel->Append(records);
    if (!records.empty())
        // The new rows join the rows selected before.
        FileListView->selectionModel()->select(
            QItemSelection(
                FileListModel->index(first, 0),
                FileListModel->index(FileListModel->Count() - 1, TFileListModel::ColumnCount - 1)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);

    RenumberFiles();
    UpdateButtons();
    FileListViewSelectItem(nullptr, FirstSelectedRow(), true);

    if (FileThread == nullptr) {
        FileThread = new TCVNFileThread(this, ComputeStep);
        FileThread->Start();
    }
}

void TCVNMainForm::RequestAlgorithm() {
    const int chosen = AlgorithmItems->ItemIndex();
    for (int row = FileListModel->Count() - 1; row >= 0; --row) {
        TCVNInfo& info = *FileListModel->Info(row);
        info.Wanted(chosen) = true;
        // A row that could not be read is tried again at once.
        info.Failures = 0;
        RefreshInfoStatus(info);
    }
    FileListModel->RestartScan();
    FileListModel->StatusesChanged();
    FileListViewSelectItem(nullptr, FirstSelectedRow(), true);
}

void TCVNMainForm::FileListViewSelectItem(QObject*, int row, bool selected) {
    TCVNInfo* info = row >= 0 && row < FileListModel->Count() ? FileListModel->Info(row) : nullptr;
    if (info != nullptr && selected) {
        const QString digest = info->Digest(AlgorithmItems->ItemIndex());
        FileResultEdit->setText(CaseItems->ItemIndex() == 1 ? AsciiLowerCase(digest) : digest);
    } else {
        FileResultEdit->clear();
    }
    UpdateFileComparison();
    UpdateButtons();
}

void TCVNMainForm::DeleteButtonClick() {
    const QItemSelectionModel* selection = FileListView->selectionModel();
    if (FileThread != nullptr && FileThread->CurrentItem.isValid() &&
        selection->isRowSelected(FileThread->CurrentItem.row()))
        FileThread->Detach();

    // The selected rows as sorted blocks, so that each block goes in one step.
    std::vector<std::pair<int, int>> blocks;
    for (const QItemSelectionRange& range : selection->selection())
        blocks.emplace_back(range.top(), range.bottom());
    std::sort(blocks.begin(), blocks.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& [top, bottom] : blocks)
        if (!merged.empty() && top <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, bottom);
        else
            merged.emplace_back(top, bottom);

    for (auto block = merged.rbegin(); block != merged.rend(); ++block)
        for (int row = block->second; row >= block->first; --row)
            FreeFileRecord(row);
    for (auto block = merged.rbegin(); block != merged.rend(); ++block)
        FileListModel->RemoveRows(block->first, block->second - block->first + 1);

    FileListViewSelectItem(nullptr, -1, false);
    RenumberFiles();
    UpdateButtons();
}

void TCVNMainForm::CleanUpButtonClick() {
    if (FileThread != nullptr && FileThread->CurrentItem.isValid())
        FileThread->Detach();
    for (int row = FileListModel->Count() - 1; row >= 0; --row)
        FreeFileRecord(row);
    FileListModel->Clear();
    FileListViewSelectItem(nullptr, -1, false);
    UpdateButtons();
}

void TCVNMainForm::FreeFileRecord(int row) {
    delete FileListModel->Release(row);
}

void TCVNMainForm::UpdateButtons() {
    DeleteButton->setEnabled(FileListView->selectionModel()->hasSelection());
    CleanUpButton->setEnabled(FileListModel->Count() > 0);
}

// The numbers follow from the rows' positions; the view is told to show them anew.
void TCVNMainForm::RenumberFiles() {
    FileListModel->NumbersChanged();
}

int TCVNMainForm::FirstSelectedRow() const {
    int first = -1;
    for (const QItemSelectionRange& range : FileListView->selectionModel()->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
    return first;
}
