#pragma once

#include "app/CVNFileThread.h"
#include "i18n/frmCVNBase.h"

#include <chrono>

class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeView;
class TFileListModel;
class TRadioGroup;
struct TCVNInfo;

// The program's one top-level window: the File and Text pages, the choice of algorithm and letter
// case, Exit and About.
class TCVNMainForm : public TCVNBaseForm {
    Q_OBJECT

public:
    explicit TCVNMainForm(QWidget* parent = nullptr);
    ~TCVNMainForm() override;

    QPushButton* ExitButton;
    QPushButton* AboutButton;
    QTabWidget* PageControl;
    QWidget* FileTabSheet;
    QGroupBox* AlgorithmGroup;
    QLabel* FileLabel;
    QLabel* FileResultLabel;
    QLabel* FileComparisonLabel;
    QLineEdit* FileResultEdit;
    QLineEdit* FileComparisonEdit;
    QLabel* FileImage;
    QTreeView* FileListView;
    QToolButton* AddButton;
    QToolButton* DeleteButton;
    QToolButton* CleanUpButton;
    QWidget* TextTabSheet;
    QLabel* TextLabel;
    QLineEdit* TextEdit;
    QGroupBox* EncodingGroup;
    QLabel* TextResultLabel;
    QLineEdit* TextResultEdit;
    QLabel* TextComparisonLabel;
    QLineEdit* TextComparisonEdit;
    QLabel* TextImage;
    QGroupBox* CaseGroup;
    QFileDialog* OpenDialog;
    TCVNFileThread* FileThread = nullptr;

    // How the worker computes a digest, taken when it is created.
    TComputeStep ComputeStep = DigestOfFile;
    // The least wait before a row whose file could not be read is tried again by itself; it
    // doubles with each further failure. Choosing an algorithm tries such rows again at once.
    std::chrono::milliseconds FailedRetryDelay{5000};

    void HashText();
    void UpdateFileComparison();
    void UpdateTextComparison();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The worker reads and changes the list in its synchronous steps.
    friend class TCVNFileThread;

    void SetUpFileList();
    void ConnectHandlers();

    void FormCreate();
    void FormDestroy();
    void FormResize();
    void FileTabSheetResize();
    void TextTabSheetResize();

    void AlgorithmGroupClick();
    void CaseGroupClick();
    void EncodingGroupClick();
    void TextEditChange();
    void TextComparisonEditChange();
    void FileComparisonEditChange();
    void ExitButtonClick();
    void AboutButtonClick();

    // The file list's operations.
    QString StatusText(const TCVNInfo& info) const;
    void AddButtonClick();
    void DeleteButtonClick();
    void CleanUpButtonClick();
    void WMDropFiles(QDropEvent* event);
    void AddFiles(const QStringList& names);
    void RequestAlgorithm();
    void FileListViewSelectItem(QObject* sender, int row, bool selected);
    void FreeFileRecord(int row);
    void UpdateButtons();
    void RenumberFiles();
    // The selected row nearest the top, or -1.
    int FirstSelectedRow() const;

    TRadioGroup* AlgorithmItems;
    TRadioGroup* CaseItems;
    TRadioGroup* EncodingItems;
    TFileListModel* FileListModel;
};
