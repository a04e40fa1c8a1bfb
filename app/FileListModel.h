#pragma once

#include "app/CVNInfo.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>

#include <chrono>
#include <functional>
#include <vector>

// The rows of the file list, one TCVNInfo each, in list order. The window owns the records and
// releases them (FreeFileRecord); the model only holds them. Number and file-name columns are
// derived from the row and its record; the status column asks the window for the record's text.
class TFileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { RowCaptionColumn, NumberColumn, FileNameColumn, StatusColumn, ColumnCount };
    using TClock = std::chrono::steady_clock;

    TFileListModel(std::function<QString(const TCVNInfo&)> statusText, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    int Count() const { return static_cast<int>(FRows.size()); }
    TCVNInfo* Info(int row) const { return FRows[static_cast<std::size_t>(row)]; }

    // Takes the name for a row about to be appended, unless a listed or claimed name equals it
    // once the ASCII letters are folded to upper case.
    bool Claim(const QString& fileName);
    // Appends the records, with their claimed names, as new rows at the end, in one step.
    void Append(const std::vector<TCVNInfo*>& records);
    // Hands back the record of a row about to be removed, and frees its name; the row keeps an
    // empty slot until it is removed.
    TCVNInfo* Release(int row);
    void RemoveRows(int first, int count);
    void Clear();

    // The status text or the numbers are to be shown anew.
    void StatusChanged(int row);
    void StatusesChanged();
    void NumbersChanged();

    // The topmost row that is not finished: Waiting or Calculating, or Failed and due again;
    // -1 when there is none. Rows above the scan position are known to be finished, so a pass
    // costs nothing for them.
    int NextUnfinished(TClock::time_point now);
    // Any row may be unfinished again (its wanted digests changed).
    void RestartScan();

private:
    std::function<QString(const TCVNInfo&)> FStatusText;
    QStringList FCaptions;
    std::vector<TCVNInfo*> FRows;
    // The listed and claimed names with their ASCII letters folded to upper case.
    QSet<QString> FListedNames;
    std::size_t FScanStart = 0;
    // When the earliest failed row above the scan position is due again.
    TClock::time_point FNextRetry = TClock::time_point::max();
};

// The file name without its directory.
QString FileNameOnly(const QString& path);
