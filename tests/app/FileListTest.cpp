#include "RefereeDigest.h"
#include "app/CVNInfo.h"
#include "app/FileListModel.h"
#include "app/frmCVNMain.h"

#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// The big files are sparse: reading one through would take minutes, so a test that finishes
// shows that its digest was given up at once.
constexpr qint64 LargeFileSize = qint64{64} << 30;

const char* const AlgorithmNames[] = {"crc32", "sha1", "sha256", "sha512", "md5"};

// The compute step under the test's eye: it keeps a log of the calls, fails for the files it is
// told to, and holds every call for a file on its hold list inside the digest until the test
// releases the file. Shared with the worker, which may still be inside a call when a test ends.
class TComputeProbe : public std::enable_shared_from_this<TComputeProbe> {
public:
    struct TCall {
        QString FileName;
        int Algorithm;
        bool operator==(const TCall&) const = default;
    };
    enum TOutcome { Running, Returned, Abandoned, Failed };

    TComputeStep Step() {
        return [self = shared_from_this()](TAlgorithm algorithm, const std::filesystem::path& path,
                                           const std::atomic<bool>* abandon) {
            return self->Compute(algorithm, path, abandon);
        };
    }

    // A held file's digest is computed without the abandon flag when asked to: it then
    // arrives as if the removal had come too late to stop it.
    void Hold(const QString& fileName, bool ignoreAbandon = false) {
        const std::lock_guard lock(FLock);
        FHeld[fileName] = ignoreAbandon;
    }
    void Release(const QString& fileName) {
        const std::lock_guard lock(FLock);
        FHeld.erase(fileName);
        FChanged.notify_all();
    }
    void ReleaseAll() {
        const std::lock_guard lock(FLock);
        FHeld.clear();
        FChanged.notify_all();
    }
    void Deny(const QString& fileName, bool denied) {
        const std::lock_guard lock(FLock);
        if (denied)
            FDenied.insert(fileName);
        else
            FDenied.erase(fileName);
    }

    QList<TCall> Calls() const {
        const std::lock_guard lock(FLock);
        return FCalls;
    }
    int CallsFor(const QString& fileName) const {
        const std::lock_guard lock(FLock);
        return static_cast<int>(std::count_if(
            FCalls.begin(), FCalls.end(), [&](const TCall& c) { return c.FileName == fileName; }));
    }
    // Whether a call for the file is waiting to be released.
    bool Waiting(const QString& fileName) const {
        const std::lock_guard lock(FLock);
        return FWaiting.contains(fileName);
    }
    // The outcome of the latest call for the file.
    TOutcome LastOutcome(const QString& fileName) const {
        const std::lock_guard lock(FLock);
        const auto found = FOutcomes.find(fileName);
        return found == FOutcomes.end() ? Running : found->second;
    }

private:
    std::string Compute(TAlgorithm algorithm, const std::filesystem::path& path,
                        const std::atomic<bool>* abandon) {
        const QString fileName = QString::fromStdString(path.string());
        bool ignoreAbandon = false;
        bool denied = false;
        {
            std::unique_lock lock(FLock);
            FCalls.append({fileName, static_cast<int>(algorithm)});
            FOutcomes[fileName] = Running;
            const auto held = FHeld.find(fileName);
            if (held != FHeld.end()) {
                ignoreAbandon = held->second;
                FWaiting.insert(fileName);
                FChanged.wait(lock, [&] { return !FHeld.contains(fileName); });
                FWaiting.erase(fileName);
            }
            denied = FDenied.contains(fileName);
        }
        TOutcome outcome = Returned;
        std::string digest;
        try {
            if (denied)
                throw std::runtime_error("Permission denied");
            digest = DigestOfFile(algorithm, path, ignoreAbandon ? nullptr : abandon);
        } catch (const EDigestAbandoned&) {
            outcome = Abandoned;
        } catch (...) {
            outcome = Failed;
        }
        {
            const std::lock_guard lock(FLock);
            FOutcomes[fileName] = outcome;
        }
        if (outcome != Returned)
            throw std::runtime_error("no digest");
        return digest;
    }

    mutable std::mutex FLock;
    std::condition_variable FChanged;
    std::map<QString, bool> FHeld;
    std::set<QString> FDenied;
    std::set<QString> FWaiting;
    QList<TCall> FCalls;
    std::map<QString, TOutcome> FOutcomes;
};

// A test's probe; whatever it still holds goes free when the test ends.
class TProbe {
public:
    ~TProbe() { FProbe->ReleaseAll(); }
    TComputeProbe* operator->() const { return FProbe.get(); }

private:
    std::shared_ptr<TComputeProbe> FProbe = std::make_shared<TComputeProbe>();
};

TFileListModel* List(const TCVNMainForm& form) {
    return static_cast<TFileListModel*>(form.FileListView->model());
}

QStringList Column(const TCVNMainForm& form, int column) {
    QStringList texts;
    const TFileListModel* list = List(form);
    for (int row = 0; row < list->rowCount(); ++row)
        texts << list->index(row, column).data().toString();
    return texts;
}

QStringList Statuses(const TCVNMainForm& form) {
    return Column(form, TFileListModel::StatusColumn);
}

QStringList Repeated(const QString& text, int count) {
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts << text;
    return texts;
}

QList<int> SelectedRows(const TCVNMainForm& form) {
    QList<int> rows;
    for (int row = 0; row < List(form)->rowCount(); ++row)
        if (form.FileListView->selectionModel()->isRowSelected(row))
            rows << row;
    return rows;
}

// Clears the selection first: a row that stays selected while others are deselected would leave
// the result box empty.
void SelectOnly(TCVNMainForm& form, const QList<int>& rows) {
    form.FileListView->clearSelection();
    QItemSelection selection;
    for (int row : rows)
        selection.select(List(form)->index(row, 0),
                         List(form)->index(row, TFileListModel::ColumnCount - 1));
    form.FileListView->selectionModel()->select(selection, QItemSelectionModel::Select |
                                                               QItemSelectionModel::Rows);
}

void DropUrls(TCVNMainForm& form, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint point(8, 8);
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
}

void Drop(TCVNMainForm& form, const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    DropUrls(form, urls);
}

void ChooseAlgorithm(TCVNMainForm& form, int index) {
    form.findChild<QRadioButton*>(QStringLiteral("AlgorithmGroupItem%1").arg(index))->click();
}

void ChooseCase(TCVNMainForm& form, int index) {
    form.findChild<QRadioButton*>(QStringLiteral("CaseGroupItem%1").arg(index))->click();
}

// The command line's digests of the files, in their order.
QStringList CommandLineDigests(int algorithm, const QStringList& paths) {
    QProcess sum;
    sum.start(QStringLiteral(CORVANTH_SUM_PATH),
              QStringList{QStringLiteral("-a"), QLatin1String(AlgorithmNames[algorithm])} + paths);
    if (!sum.waitForFinished(60000) || sum.exitCode() != 0)
        qFatal("corvanth-sum failed");
    QStringList digests;
    for (const QByteArray& line : sum.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            digests << QString::fromLatin1(line.left(line.indexOf(' ')));
    return digests;
}

} // namespace

class TFileListTest : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    QString PathOf(const QString& name) const { return FDir.filePath(name); }

    QString MakeFile(const QString& name, const QByteArray& content) const {
        QFile file(PathOf(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(name));
        return file.fileName();
    }

    QString MakeSparseFile(const QString& name, qint64 size) const {
        QFile file(PathOf(name));
        if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
            qFatal("cannot make %s", qPrintable(name));
        return file.fileName();
    }

    static QByteArray Content(int size, int seed) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 131 + seed * 7 + (i >> 8)) & 0xFF);
        return bytes;
    }

private slots:
    void initTestCase() { QVERIFY(FDir.isValid()); }

    void addingFiles() {
        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        QStringList paths;
        for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
            paths << MakeFile(QLatin1String(name), name);
            probe->Hold(paths.back());
        }

        Drop(form, paths.mid(0, 2));
        QCOMPARE(Column(form, TFileListModel::FileNameColumn), QStringList({"a.txt", "b.txt"}));
        QCOMPARE(SelectedRows(form), QList<int>({0, 1}));
        QVERIFY(form.DeleteButton->isEnabled() && form.CleanUpButton->isEnabled());
        QTRY_VERIFY(probe->Waiting(paths[0]));
        QCOMPARE(Statuses(form), QStringList({"Calculating...", "Waiting..."}));

        SelectOnly(form, {0});
        Drop(form, paths.mid(2));
        QCOMPARE(Column(form, TFileListModel::NumberColumn),
                 QStringList({"1", "2", "3", "4", "5"}));
        QCOMPARE(Column(form, TFileListModel::FileNameColumn),
                 QStringList({"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}));
        QCOMPARE(SelectedRows(form), QList<int>({0, 2, 3, 4}));
        QCOMPARE(Statuses(form).mid(1), Repeated(QStringLiteral("Waiting..."), 4));
        // The first selected row has no digest yet.
        QVERIFY(form.FileResultEdit->text().isEmpty());
        QCOMPARE(List(form)->Info(4)->FileName, paths[4]);
        QVERIFY(List(form)->Info(4)->MD5Wanted && !List(form)->Info(4)->SHA1Wanted);
    }

    void duplicates_data() {
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("ASCII case") << QStringList{"/x/Data/a.txt"} << QStringList{"/x/data/A.TXT"}
                                    << QStringList{"/x/Data/a.txt"};
        QTest::newRow("non-ASCII case")
            << QStringList{"/x/Ärger.txt"} << QStringList{"/x/ärger.txt"}
            << QStringList{"/x/Ärger.txt", "/x/ärger.txt"};
        QTest::newRow("same path twice in one call")
            << QStringList{} << QStringList{"/x/a.txt", "/x/b.txt", "/x/a.txt"}
            << QStringList{"/x/a.txt", "/x/b.txt"};
        QTest::newRow("ASCII case twins in one call")
            << QStringList{"/x/b.txt"} << QStringList{"/x/a.txt", "/x/A.TXT", "/x/B.txt"}
            << QStringList{"/x/b.txt", "/x/a.txt"};
        QTest::newRow("names compared whole")
            << QStringList{"/x/a.txt"} << QStringList{"/x/a.txt ", "/x/a.tx", "/x/a.txt"}
            << QStringList{"/x/a.txt", "/x/a.txt ", "/x/a.tx"};
    }

    void duplicates() {
        QFETCH(QStringList, listed);
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);

        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        for (const QString& path : listed + added)
            probe->Hold(path);
        Drop(form, listed);
        Drop(form, added);
        QStringList names;
        for (int row = 0; row < List(form)->Count(); ++row)
            names << List(form)->Info(row)->FileName;
        QCOMPARE(names, expected);
    }

    void deleteAndCleanUp() {
        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        QStringList paths;
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            paths << PathOf(QLatin1String(name));
            probe->Hold(paths.back());
        }
        Drop(form, paths);

        SelectOnly(form, {1, 3});
        form.DeleteButton->click();
        QCOMPARE(Column(form, TFileListModel::NumberColumn), QStringList({"1", "2", "3"}));
        QCOMPARE(Column(form, TFileListModel::FileNameColumn), QStringList({"a", "c", "e"}));
        QVERIFY(form.FileResultEdit->text().isEmpty());
        QVERIFY(!form.DeleteButton->isEnabled());
        QVERIFY(form.CleanUpButton->isEnabled());

        // A deleted path may come back; a listed one still may not.
        Drop(form, {paths[1], paths[2]});
        QCOMPARE(Column(form, TFileListModel::FileNameColumn), QStringList({"a", "c", "e", "b"}));

        form.FileComparisonEdit->setText(QStringLiteral("00"));
        form.CleanUpButton->click();
        QCOMPARE(List(form)->rowCount(), 0);
        QVERIFY(form.FileResultEdit->text().isEmpty());
        QVERIFY(!form.FileImage->isHidden());
        QVERIFY(!form.DeleteButton->isEnabled());
        QVERIFY(!form.CleanUpButton->isEnabled());

        Drop(form, {paths[0]});
        QCOMPARE(Column(form, TFileListModel::FileNameColumn), QStringList({"a"}));
    }

    void orderOfWork() {
        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        QStringList paths;
        for (int i = 1; i <= 3; ++i) {
            paths << MakeFile(QStringLiteral("order%1").arg(i), Content(3000 * i, i));
            probe->Hold(paths.back());
        }
        Drop(form, paths);

        // MD5, one row after the other from the top.
        for (int row = 0; row < 3; ++row) {
            QTRY_VERIFY(probe->Waiting(paths[row]));
            QStringList expected = Repeated(QStringLiteral("Done"), row);
            expected << QStringLiteral("Calculating...")
                     << Repeated(QStringLiteral("Waiting..."), 2 - row);
            QCOMPARE(Statuses(form), expected);
            probe->Release(paths[row]);
        }
        QTRY_COMPARE(Statuses(form), Repeated(QStringLiteral("Done"), 3));

        // CRC32 and SHA-256 chosen while row 1's first digest is computed: row 1 gets both
        // before row 2 is touched, and every row its digests in index order.
        form.CleanUpButton->click();
        const QList<TComputeProbe::TCall> before = probe->Calls();
        probe->Hold(paths[0]);
        Drop(form, paths);
        QTRY_VERIFY(probe->Waiting(paths[0]));
        ChooseAlgorithm(form, 0);
        ChooseAlgorithm(form, 2);
        QCOMPARE(Statuses(form), QStringList({"Calculating...", "Waiting...", "Waiting..."}));
        probe->Release(paths[0]);
        QTRY_COMPARE(Statuses(form), Repeated(QStringLiteral("Done"), 3));
        const QList<TComputeProbe::TCall> calls = probe->Calls().mid(before.size());
        QCOMPARE(calls, QList<TComputeProbe::TCall>({{paths[0], 4},
                                                     {paths[0], 0},
                                                     {paths[0], 2},
                                                     {paths[1], 0},
                                                     {paths[1], 2},
                                                     {paths[1], 4},
                                                     {paths[2], 0},
                                                     {paths[2], 2},
                                                     {paths[2], 4}}));

        // Back to a computed algorithm: everything is known, nothing is read.
        const int reads = probe->Calls().size();
        ChooseAlgorithm(form, 4);
        QCOMPARE(Statuses(form), Repeated(QStringLiteral("Done"), 3));
        QCOMPARE(form.FileResultEdit->text(), RefereeDigest(4, Content(3000, 1)));
        ChooseAlgorithm(form, 0);
        QCOMPARE(Statuses(form), Repeated(QStringLiteral("Done"), 3));
        QCOMPARE(probe->Calls().size(), reads);
    }

    void digestsAgreeWithCommandLineAndReferee() {
        TCVNMainForm form;
        const QList<QByteArray> contents = {QByteArray(), QByteArray("123456789"),
                                            Content(100000, 3), Content((1 << 20) + 3, 4)};
        QStringList paths;
        for (int i = 0; i < contents.size(); ++i)
            paths << MakeFile(QStringLiteral("agree%1").arg(i), contents[i]);
        Drop(form, paths);

        for (int algorithm = 0; algorithm < 5; ++algorithm) {
            ChooseAlgorithm(form, algorithm);
            QTRY_COMPARE(Statuses(form), Repeated(QStringLiteral("Done"), paths.size()));
            const QStringList expected = CommandLineDigests(algorithm, paths);
            for (int row = 0; row < paths.size(); ++row) {
                SelectOnly(form, {row});
                QCOMPARE(form.FileResultEdit->text(), expected[row]);
                if (algorithm != 0)
                    QCOMPARE(expected[row], RefereeDigest(algorithm, contents[row]));
            }
        }
        ChooseAlgorithm(form, 0);
        SelectOnly(form, {0});
        QCOMPARE(form.FileResultEdit->text(), QStringLiteral("00000000"));
        SelectOnly(form, {1});
        QCOMPARE(form.FileResultEdit->text(), QStringLiteral("7DC08C09"));
    }

    void resultBoxFollowsSelectionCaseAndComparison() {
        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        const QStringList paths = {MakeFile(QStringLiteral("box1"), "one"),
                                   MakeFile(QStringLiteral("box2"), "two")};
        const QString one = RefereeDigest(4, "one");
        const QString two = RefereeDigest(4, "two");
        probe->Hold(paths[0]);
        Drop(form, paths);

        // Filled as soon as the first selected row's digest is stored.
        QTRY_VERIFY(probe->Waiting(paths[0]));
        QVERIFY(form.FileResultEdit->text().isEmpty());
        probe->Release(paths[0]);
        QTRY_COMPARE(form.FileResultEdit->text(), one);
        QTRY_COMPARE(Statuses(form), Repeated(QStringLiteral("Done"), 2));

        SelectOnly(form, {1});
        QCOMPARE(form.FileResultEdit->text(), two);
        ChooseCase(form, 1);
        QCOMPARE(form.FileResultEdit->text(), two.toLower());
        form.FileComparisonEdit->setText(two);
        QVERIFY(!form.FileImage->isHidden());
        const QImage tick = form.FileImage->pixmap().toImage();

        SelectOnly(form, {0});
        QCOMPARE(form.FileResultEdit->text(), one.toLower());
        QVERIFY(form.FileImage->pixmap().toImage() != tick);
        QCOMPARE(List(form)->Info(0)->MD5Digest, one);

        SelectOnly(form, {1});
        QCOMPARE(form.FileImage->pixmap().toImage(), tick);
        ChooseCase(form, 0);
        QCOMPARE(form.FileResultEdit->text(), two);

        // Any row deselected empties the box, even with another row still selected.
        SelectOnly(form, {0, 1});
        form.FileListView->selectionModel()->select(
            List(form)->index(1, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        QVERIFY(form.FileResultEdit->text().isEmpty());
        QVERIFY(form.FileImage->pixmap().toImage() != tick);
        QVERIFY(form.DeleteButton->isEnabled());
        form.FileListView->clearSelection();
        QVERIFY(!form.DeleteButton->isEnabled());
        form.FileComparisonEdit->clear();
        QVERIFY(form.FileImage->isHidden());
    }

    void unreadableFilesFailAndAreRetried() {
        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        form.FailedRetryDelay = std::chrono::hours(1);
        const QString missing = PathOf(QStringLiteral("missing"));
        const QString folder = PathOf(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString denied = MakeFile(QStringLiteral("denied"), "secret");
        const QString good = MakeFile(QStringLiteral("good"), "good");
        probe->Deny(denied, true);

        Drop(form, {missing, folder, denied, good});
        QTRY_COMPARE(Statuses(form), QStringList({"Failed", "Failed", "Failed", "Done"}));
        QVERIFY(List(form)->Info(0)->MD5Digest.isEmpty());

        // Rows added later are served; the failed rows above are not tried again meanwhile.
        const QString later = MakeFile(QStringLiteral("later"), "later");
        Drop(form, {later});
        QTRY_COMPARE(Statuses(form).last(), QStringLiteral("Done"));
        for (const QString& path : {missing, folder, denied})
            QCOMPARE(probe->CallsFor(path), 1);

        // Choosing an algorithm tries them again at once.
        MakeFile(QStringLiteral("missing"), "found");
        probe->Deny(denied, false);
        ChooseAlgorithm(form, 1);
        QTRY_COMPARE(Statuses(form), QStringList({"Done", "Failed", "Done", "Done", "Done"}));
        QCOMPARE(List(form)->Info(0)->MD5Digest, RefereeDigest(4, "found"));
        QCOMPARE(List(form)->Info(2)->SHA1Digest, RefereeDigest(1, "secret"));
        QCOMPARE(probe->CallsFor(folder), 2);
    }

    void failedRowsAreRetriedLater() {
        TCVNMainForm form;
        form.FailedRetryDelay = std::chrono::milliseconds(20);
        const QString path = PathOf(QStringLiteral("appearing"));
        Drop(form, {path});
        QTRY_COMPARE(Statuses(form), QStringList({"Failed"}));
        MakeFile(QStringLiteral("appearing"), "here");
        QTRY_COMPARE(Statuses(form), QStringList({"Done"}));
        QCOMPARE(List(form)->Info(0)->MD5Digest, RefereeDigest(4, "here"));
    }

    // Cut short while it is read: the row fails, or, had the cut come first, holds the digest
    // of what is left; never the digest of a part.
    void fileShrinkingWhileHashed() {
        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        const QString path = MakeSparseFile(QStringLiteral("shrinking"), LargeFileSize);
        Drop(form, {path});
        QTRY_COMPARE(Statuses(form), QStringList({"Calculating..."}));
        QVERIFY(QFile::resize(path, 1 << 20));
        QTRY_VERIFY(Statuses(form) != QStringList({"Calculating..."}));
        const QString digest = List(form)->Info(0)->MD5Digest;
        if (Statuses(form) == QStringList({"Failed"}))
            QVERIFY(digest.isEmpty());
        else
            QCOMPARE(digest, RefereeDigest(4, QByteArray(1 << 20, '\0')));
    }

    void removingTheRowUnderWork_data() {
        QTest::addColumn<bool>("cleanUp");
        QTest::addColumn<bool>("large");

        // A large file shows that the digest is given up mid-way; a held small one, whose
        // digest arrives after the removal, that it is stored nowhere.
        QTest::newRow("delete, large file") << false << true;
        QTest::newRow("delete, digest arriving late") << false << false;
        QTest::newRow("clean up, large file") << true << true;
        QTest::newRow("clean up, digest arriving late") << true << false;
    }

    void removingTheRowUnderWork() {
        QFETCH(bool, cleanUp);
        QFETCH(bool, large);

        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        const QString work = large ? MakeSparseFile(QStringLiteral("work"), LargeFileSize)
                                   : MakeFile(QStringLiteral("work"), "work");
        const QString other = MakeFile(QStringLiteral("other"), "other");
        if (!large)
            probe->Hold(work, true);
        Drop(form, {work, other});
        QTRY_COMPARE(Statuses(form).first(), QStringLiteral("Calculating..."));
        // The held digest must be under way before the removal, or it would see the abandon.
        if (!large)
            QTRY_VERIFY(probe->Waiting(work));

        SelectOnly(form, {cleanUp ? 1 : 0});
        (cleanUp ? form.CleanUpButton : form.DeleteButton)->click();
        probe->Release(work);
        QTRY_COMPARE(probe->LastOutcome(work),
                     large ? TComputeProbe::Abandoned : TComputeProbe::Returned);

        if (cleanUp) {
            QCOMPARE(List(form)->rowCount(), 0);
            // The worker goes on with whatever comes next.
            Drop(form, {other});
        } else {
            QCOMPARE(Column(form, TFileListModel::FileNameColumn), QStringList({"other"}));
        }
        QTRY_COMPARE(Statuses(form), QStringList({"Done"}));
        QCOMPARE(List(form)->Info(0)->MD5Digest, RefereeDigest(4, "other"));
        QCOMPARE(probe->CallsFor(work), 1);
    }

    void closingTheWindowDuringALargeDigest() {
        TProbe probe;
        auto form = std::make_unique<TCVNMainForm>();
        form->ComputeStep = probe->Step();
        const QString path = MakeSparseFile(QStringLiteral("closing"), LargeFileSize);
        Drop(*form, {path});
        QTRY_COMPARE(Statuses(*form), QStringList({"Calculating..."}));
        const QPointer<TCVNFileThread> worker = form->FileThread;
        QVERIFY(worker);

        form.reset();
        QTRY_COMPARE(probe->LastOutcome(path), TComputeProbe::Abandoned);
        // The worker has ended and released itself.
        QTRY_VERIFY(worker.isNull());
    }

    void dropOfThousands() {
        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        const int count = 5000;
        QList<QUrl> urls;
        for (int i = 0; i < count; ++i)
            urls << QUrl::fromLocalFile(PathOf(QStringLiteral("many/%1").arg(i)));
        probe->Hold(urls.front().toLocalFile());
        // Names of any length are taken whole; what is not a local file is passed over; a name
        // dropped twice is listed once.
        const QString longName(2000, QLatin1Char('x'));
        urls << QUrl::fromLocalFile(PathOf(longName)) << QUrl(QStringLiteral("https://host/a"))
             << urls[7];
        DropUrls(form, urls);

        QCOMPARE(List(form)->rowCount(), count + 1);
        QCOMPARE(Column(form, TFileListModel::NumberColumn).last(), QString::number(count + 1));
        QCOMPARE(Column(form, TFileListModel::FileNameColumn)[1234], QStringLiteral("1234"));
        QCOMPARE(Column(form, TFileListModel::FileNameColumn).last(), longName);
        QCOMPARE(List(form)->Info(count)->FileName, PathOf(longName));
        QCOMPARE(SelectedRows(form).size(), count + 1);
        QCOMPARE(Statuses(form).last(), QStringLiteral("Waiting..."));
    }

    void addDialog_data() {
        QTest::addColumn<bool>("accept");
        QTest::newRow("accepted") << true;
        QTest::newRow("cancelled") << false;
    }

    void addDialog() {
        QFETCH(bool, accept);
        TProbe probe;
        TCVNMainForm form;
        form.ComputeStep = probe->Step();
        const QStringList paths = {MakeFile(QStringLiteral("chosen1"), "1"),
                                   MakeFile(QStringLiteral("chosen2"), "2")};
        for (const QString& path : paths)
            probe->Hold(path);

        bool answered = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, &form, [&] {
            if (!form.OpenDialog->isVisible())
                return;
            answer.stop();
            answered = true;
            // Typed into the name box as the user would, both names at once.
            form.OpenDialog->setDirectory(FDir.path());
            form.OpenDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("\"chosen1\" \"chosen2\""));
            QDialog* dialog = form.OpenDialog;
            if (accept)
                dialog->accept();
            // Closed in any case, so that a refused choice fails the test instead of hanging it.
            if (dialog->isVisible())
                dialog->reject();
        });
        answer.start(10);
        form.AddButton->click();
        QVERIFY(answered);
        QCOMPARE(Column(form, TFileListModel::FileNameColumn),
                 accept ? QStringList({"chosen1", "chosen2"}) : QStringList());
        QCOMPARE(form.CleanUpButton->isEnabled(), accept);
    }
};

QTEST_MAIN(TFileListTest)
#include "FileListTest.moc"
