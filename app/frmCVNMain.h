#pragma once

#include "i18n/frmCVNBase.h"

class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTabWidget;
class QToolButton;
class QTreeView;
class TCVNFileThread;
class TRadioGroup;

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

    void HashText();
    void UpdateFileComparison();
    void UpdateTextComparison();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
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
    void AddButtonClick();
    void DeleteButtonClick();
    void CleanUpButtonClick();
    void WMDropFiles(QDropEvent* event);
    void AddFiles(const QStringList& names);
    void RequestAlgorithm();
    void FileListViewSelectItem(QObject* sender, int row, bool selected);
    void FreeFileRecord(int row);
    void UpdateButtons();
    void RefreshColumns();
    void RenumberFiles();

    TRadioGroup* AlgorithmItems;
    TRadioGroup* CaseItems;
    TRadioGroup* EncodingItems;
    QStandardItemModel* FileListModel;
};
