#include "app/FileListModel.h"

#include "app/AsciiCase.h"

#include <algorithm>
#include <utility>

TFileListModel::TFileListModel(std::function<QString(const TCVNInfo&)> statusText, QObject* parent)
    : QAbstractTableModel(parent), FStatusText(std::move(statusText)),
      FCaptions(
          {QString(), QStringLiteral("#"), QStringLiteral("Filename"), QStringLiteral("Status")}) {}

int TFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int TFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    if (role == Qt::TextAlignmentRole && index.column() == NumberColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    const TCVNInfo* info = Info(index.row());
    if (role != Qt::DisplayRole || info == nullptr)
        return {};
    switch (index.column()) {
    case NumberColumn:
        return QString::number(index.row() + 1);
    case FileNameColumn:
        return FileNameOnly(info->FileName);
    case StatusColumn:
        return FStatusText(*info);
    default:
        return QString();
    }
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return FCaptions[section];
    if (role == Qt::TextAlignmentRole && section == NumberColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool TFileListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                   int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    FCaptions[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

bool TFileListModel::Claim(const QString& fileName) {
    const qsizetype before = FListedNames.size();
    FListedNames.insert(AsciiUpperCase(fileName));
    return FListedNames.size() != before;
}

void TFileListModel::Append(const std::vector<TCVNInfo*>& records) {
    if (records.empty())
        return;
    beginInsertRows({}, Count(), Count() + static_cast<int>(records.size()) - 1);
    FRows.insert(FRows.end(), records.begin(), records.end());
    endInsertRows();
}

TCVNInfo* TFileListModel::Release(int row) {
    TCVNInfo* info = std::exchange(FRows[static_cast<std::size_t>(row)], nullptr);
    if (info != nullptr)
        FListedNames.remove(AsciiUpperCase(info->FileName));
    return info;
}

void TFileListModel::RemoveRows(int first, int count) {
    if (count <= 0)
        return;
    beginRemoveRows({}, first, first + count - 1);
    const auto begin = FRows.begin() + first;
    FRows.erase(begin, begin + count);
    // Rows above the scan position stay finished; the position moves with them.
    const auto start = static_cast<std::size_t>(first);
    const auto removed = static_cast<std::size_t>(count);
    if (FScanStart >= start + removed)
        FScanStart -= removed;
    else if (FScanStart > start)
        FScanStart = start;
    endRemoveRows();
}

void TFileListModel::Clear() {
    beginResetModel();
    FRows.clear();
    FListedNames.clear();
    FScanStart = 0;
    FNextRetry = TClock::time_point::max();
    endResetModel();
}

void TFileListModel::StatusChanged(int row) {
    const QModelIndex cell = index(row, StatusColumn);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void TFileListModel::StatusesChanged() {
    if (Count() > 0)
        emit dataChanged(index(0, StatusColumn), index(Count() - 1, StatusColumn),
                         {Qt::DisplayRole});
}

void TFileListModel::NumbersChanged() {
    if (Count() > 0)
        emit dataChanged(index(0, NumberColumn), index(Count() - 1, NumberColumn),
                         {Qt::DisplayRole});
}

int TFileListModel::NextUnfinished(TClock::time_point now) {
    if (now >= FNextRetry) {
        // A failed row above may be due: look again from the top.
        FScanStart = 0;
        FNextRetry = TClock::time_point::max();
    }
    for (; FScanStart < FRows.size(); ++FScanStart) {
        const TCVNInfo* info = FRows[FScanStart];
        if (info->Status == TCVNInfo::StatusDone)
            continue;
        if (info->Status == TCVNInfo::StatusFailed && info->RetryAt > now) {
            FNextRetry = std::min(FNextRetry, info->RetryAt);
            continue;
        }
        return static_cast<int>(FScanStart);
    }
    return -1;
}

void TFileListModel::RestartScan() {
    FScanStart = 0;
    FNextRetry = TClock::time_point::max();
}

QString FileNameOnly(const QString& path) {
#ifdef _WIN32
    const qsizetype cut =
        std::max({path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'), path.lastIndexOf(u':')});
#else
    const qsizetype cut = path.lastIndexOf(u'/');
#endif
    return path.mid(cut + 1);
}
