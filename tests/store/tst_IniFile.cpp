#include "store/IniFile.h"
#include "store/IniModule.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using lanvex::store::IniDocument;
using lanvex::store::IniFile;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

std::string str(const QString& s)
{
    return s.toStdString();
}

// "办公室0,办公室1,…": appended piece by piece, as GCC 12 warns falsely (-Wrestrict) about
// a literal added to a temporary string at -O2.
std::string officeNames(int count)
{
    std::string names;
    for (int i = 0; i < count; ++i)
        names.append(i ? "," : "").append("办公室").append(std::to_string(i));
    return names;
}

// Runs `body` in a child process that ends with _exit, so the test runner never continues there.
template <typename Body> pid_t spawn(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    return pid;
}

bool waitExitedCleanly(pid_t pid)
{
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadStartsWithWhateverItCanRead_data();
    void loadStartsWithWhateverItCanRead();
    void updateCreatesTheFileAndKeepsItsPermissions();
    void tooManySectionsAreNeitherReadNorWritten();
    void updateReportsWhyItFailed_data();
    void updateReportsWhyItFailed();
    void refusedEditLeavesTheFileAlone();
    void unreadableFileIsNeitherReadNorReplaced();
    void fileTheUserMayNotWriteIsNotReplaced_data();
    void fileTheUserMayNotWriteIsNotReplaced();
    void writeThatRunsOutOfSpaceIsReported();
    void killedWriterLeavesTheFileWhole();
    void concurrentWritersKeepEachOthersKeys();
    void rewriteInPlaceDuringASaveIsReadAgain();
    void heldLockMakesASaveGiveUp();
    void savesRespectLinksOwnersAndOthersFiles();
    void settingsPathFollowsTheProgramName_data();
    void settingsPathFollowsTheProgramName();
    void proceduresReadSitesWholeAndReportWrites();
};

void TestIniFile::loadStartsWithWhateverItCanRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("expectedK"); // value of [s] k after the load, "" when none

    QTest::newRow("missing") << "missing" << QByteArray();
    QTest::newRow("folder") << "folder" << QByteArray();
    QTest::newRow("fifo") << "fifo" << QByteArray();
    QTest::newRow("binary garbage") << "garbage" << QByteArray();
    QTest::newRow("10 MB line before a key") << "longline" << QByteArray("after");
    QTest::newRow("no final newline") << "unterminated" << QByteArray("last");
}

void TestIniFile::loadStartsWithWhateverItCanRead()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, expectedK);
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    if (kind == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0); // opening it blocking would hang
    } else if (kind == "garbage") {
        QByteArray junk;
        for (int i = 0; i < 100000; ++i)
            junk.append(char((i * 7919) % 256));
        writeFile(path, junk);
    } else if (kind == "longline") {
        writeFile(path, "[s]\r\nbig=" + QByteArray(10 * 1024 * 1024, '\xFF') + "\r\nk=after\r\n");
    } else if (kind == "unterminated") {
        writeFile(path, "[s]\r\nk=last");
    }
    const IniDocument doc = IniFile(str(path)).Load();
    QCOMPARE(QByteArray::fromStdString(doc.ReadString("s", "k", "")), expectedK);
    if (kind == "longline")
        QCOMPARE(doc.ReadString("s", "big", "").size(),
                 std::size_t(143 * 3)); // U+FFFD for each byte that is no character
}

void TestIniFile::updateCreatesTheFileAndKeepsItsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    IniFile file(str(path));
    // The file comes into being whole, by the rename: a kill during the first save leaves none.
    bool absentWhileEditing = false;
    QVERIFY(file.Update([&](IniDocument& doc) {
                    absentWhileEditing = !QFile::exists(path);
                    return doc.WriteString("Section", "key", "value");
                })
                .ok);
    QVERIFY(absentWhileEditing);
    QCOMPARE(readFile(path), QByteArray("[Section]\r\nkey=value\r\n"));
    const mode_t umask = ::umask(0);
    ::umask(umask);
    struct stat created = {};
    QCOMPARE(::stat(path.toLocal8Bit().constData(), &created), 0);
    QCOMPARE(int(created.st_mode & 07777), int(0666 & ~umask));

    QCOMPARE(::chmod(path.toLocal8Bit().constData(), 0604), 0);
    QVERIFY(file.Update([](IniDocument& doc) { return doc.WriteString("Section", "other", "2"); }).ok);
    QCOMPARE(readFile(path), QByteArray("[Section]\r\nkey=value\r\nother=2\r\n"));
    struct stat info = {};
    QCOMPARE(::stat(path.toLocal8Bit().constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), 0604);
    // No temporary files are left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "lanvex.ini" });
}

// A file of nothing but section headers would cost ten times its size to parse: past the most
// sections a settings file holds, it is refused before the parse, and no save makes one.
void TestIniFile::tooManySectionsAreNeitherReadNorWritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    QByteArray headers;
    for (std::size_t i = 0; i < IniDocument::kMaxSections; ++i)
        headers += "[]\r\n";
    writeFile(path, headers);
    IniFile file(str(path));
    QVERIFY(file.Read().ok);
    // One more section, by a save: refused, the file as it was.
    const auto added = file.Update([](IniDocument& doc) { return doc.WriteString("one more", "k", "v"); });
    QVERIFY(!added.ok);
    QCOMPARE(added.errorCode, E2BIG);
    QCOMPARE(readFile(path), headers);

    writeFile(path, headers + "  [x]\n");
    const auto read = file.Read();
    QVERIFY(!read.ok);
    QCOMPARE(read.errorCode, E2BIG);
    QVERIFY(read.error.find(str(path)) != std::string::npos);
    QCOMPARE(file.Update([](IniDocument&) { return true; }).errorCode, E2BIG);
}

void TestIniFile::updateReportsWhyItFailed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("errorCode");
    // A folder has several links too: it is named as a folder, not as a file with other names.
    QTest::newRow("path is a folder") << "folder" << EISDIR;
    QTest::newRow("folder does not exist") << "nofolder" << ENOENT;
    QTest::newRow("parent is a file") << "parentfile" << ENOTDIR;
}

void TestIniFile::updateReportsWhyItFailed()
{
    QFETCH(QString, kind);
    QFETCH(int, errorCode);
    QTemporaryDir dir;
    QString path;
    if (kind == "folder") {
        path = dir.filePath("lanvex.ini");
        QVERIFY(QDir().mkdir(path));
    } else if (kind == "nofolder") {
        path = dir.filePath("gone/lanvex.ini");
    } else {
        writeFile(dir.filePath("plain"), "x");
        path = dir.filePath("plain/lanvex.ini");
    }
    const auto result = IniFile(str(path)).Update([](IniDocument& doc) { return doc.WriteString("s", "k", "v"); });
    QVERIFY(!result.ok);
    QVERIFY(!result.error.empty());
    QVERIFY2(result.error.find(str(path)) != std::string::npos, result.error.c_str());
    QCOMPARE(result.errorCode, errorCode);

    lanvex::store::IniFileName = str(path);
    QVERIFY(!lanvex::store::WriteIniString("s", "k", "v"));
    QVERIFY(!lanvex::store::WriteIniInt("s", "k", 1));
}

void TestIniFile::refusedEditLeavesTheFileAlone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    IniFile file(str(path));
    // Refused on a missing file: nothing is created.
    QVERIFY(!file.Update([](IniDocument& doc) { return doc.WriteString("s", "k", "a\nb"); }).ok);
    QVERIFY(!QFile::exists(path));

    const QByteArray original = "[s]\nk=1\n";
    writeFile(path, original);
    const auto result = file.Update([](IniDocument& doc) {
        return doc.WriteString("s", "j", "2") && doc.WriteString("s", "bad", "中\xF0\x9F\x98\x80");
    });
    QVERIFY(!result.ok);
    QCOMPARE(readFile(path), original);
}

void TestIniFile::unreadableFileIsNeitherReadNorReplaced()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    const QByteArray original = "[s]\r\nk=kept\r\n";
    writeFile(path, original);
    QCOMPARE(::chmod(path.toLocal8Bit().constData(), 0), 0);
    QCOMPARE(::chmod(dir.path().toLocal8Bit().constData(), 0777), 0);

    // Root reads anything, so the check runs as an unprivileged user in a child when needed.
    const pid_t child = spawn([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        IniFile file(str(path));
        if (file.Load().ReadString("s", "k", "none") != "none")
            ::_exit(11); // the permission did not hold: nothing to test
        const auto result = file.Update([](IniDocument& doc) { return doc.WriteString("s", "k", "new"); });
        ::_exit(result.ok || result.error.empty() ? 12 : 0);
    });
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(::chmod(path.toLocal8Bit().constData(), 0600), 0);
    if (WEXITSTATUS(status) == 10 || WEXITSTATUS(status) == 11)
        QSKIP("no unprivileged user to read as");
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readFile(path), original);
}

void TestIniFile::fileTheUserMayNotWriteIsNotReplaced_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("asOtherUser");
    QTest::newRow("marked read-only") << 0444 << false;
    QTest::newRow("another user's file") << 0644 << true;
}

// The folder is writable, so only the file's own permission stands between a write and a
// replaced file.
void TestIniFile::fileTheUserMayNotWriteIsNotReplaced()
{
    QFETCH(int, mode);
    QFETCH(bool, asOtherUser);
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    const QByteArray original = "[s]\r\nk=kept\r\n";
    writeFile(path, original);
    QCOMPARE(::chmod(path.toLocal8Bit().constData(), static_cast<mode_t>(mode)), 0);
    QCOMPARE(::chmod(dir.path().toLocal8Bit().constData(), 0777), 0);

    const pid_t child = spawn([&] {
        if (asOtherUser && ::geteuid() != 0)
            ::_exit(10); // the file is already ours: nothing to test
        if (asOtherUser && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        const auto result
            = IniFile(str(path)).Update([](IniDocument& doc) { return doc.WriteString("s", "k", "new"); });
        lanvex::store::IniFileName = str(path);
        const bool procedureWrote = lanvex::store::WriteIniString("s", "j", "1");
        ::_exit(!result.ok && result.error.find(str(path)) != std::string::npos && !procedureWrote ? 0 : 12);
    });
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == 10)
        QSKIP("no other user to write as");
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readFile(path), original);
    struct stat info = {};
    QCOMPARE(::stat(path.toLocal8Bit().constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), mode);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "lanvex.ini" });
}

void TestIniFile::writeThatRunsOutOfSpaceIsReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    const QByteArray original = "[s]\r\nk=kept\r\n";
    writeFile(path, original);
    // The file-size limit makes the write fail part way, as a full disk does.
    const pid_t child = spawn([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 4096, 4096 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto result = IniFile(str(path)).Update(
            [](IniDocument& doc) { return doc.WriteString("s", "k", std::string(9000, 'x')); });
        ::_exit(!result.ok && result.error.find(str(path)) != std::string::npos ? 0 : 1);
    });
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readFile(path), original);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "lanvex.ini" });
}

void TestIniFile::killedWriterLeavesTheFileWhole()
{
    QTemporaryDir dir;
    const std::string path = str(dir.filePath("lanvex.ini"));
    IniFile file(path);
    constexpr std::size_t big = 1024 * 1024;
    QVERIFY(file.Update([&](IniDocument& doc) {
                    return doc.WriteString("s", "k", std::string(big, 'a')) && doc.WriteString("s", "tail", "end");
                })
                .ok);
    const auto checkWhole = [&](const char* when) {
        const IniDocument doc = file.Load();
        const std::string value = doc.Value("s", "k").value_or("");
        QVERIFY2(value.size() == big, when);
        QVERIFY2(value.find_first_not_of(value.front()) == std::string::npos, when);
        QVERIFY2(doc.ReadString("s", "tail", "") == "end", when);
    };

    // Killed exactly in the middle of writing: the file-size limit ends the writer with SIGXFSZ
    // once half of the new content is out.
    const pid_t cut = spawn([&] {
        ::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit { big / 2, big / 2 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        IniFile(path).Update([&](IniDocument& doc) { return doc.WriteString("s", "k", std::string(big, 'b')); });
        ::_exit(3);
    });
    QVERIFY(cut > 0);
    int status = 0;
    QCOMPARE(::waitpid(cut, &status, 0), cut);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGXFSZ);
    checkWhole("after a write cut in half");
    QCOMPARE(file.Load().Value("s", "k").value_or("").front(), 'a');

    // Killed at random moments while writing in a loop; readers meanwhile see whole files only.
    for (const int runMs : { 100, 300 }) {
        const pid_t writer = spawn([&] {
            IniFile own(path);
            for (int round = 1;; ++round) {
                const char fill = char('a' + round % 26);
                own.Update([&](IniDocument& doc) { return doc.WriteString("s", "k", std::string(big, fill)); });
            }
        });
        QVERIFY(writer > 0);
        QElapsedTimer running;
        running.start();
        while (running.elapsed() < runMs && !QTest::currentTestFailed())
            checkWhole("while writing");
        QCOMPARE(::kill(writer, SIGKILL), 0);
        QCOMPARE(::waitpid(writer, &status, 0), writer);
        QVERIFY(WIFSIGNALED(status));
        if (QTest::currentTestFailed())
            return;
        checkWhole("after the kill");
    }
    // The next write works (the killed writers' locks went with them) and clears their leftovers.
    QVERIFY(file.Update([&](IniDocument& d) { return d.WriteInt("s", "after", 1); }).ok);
    QCOMPARE(int(file.Load().ReadInt("s", "after", 0)), 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "lanvex.ini" });
}

void TestIniFile::concurrentWritersKeepEachOthersKeys()
{
    QTemporaryDir dir;
    const std::string path = str(dir.filePath("lanvex.ini"));
    constexpr int perWriter = 60;
    const auto writer = [&](const std::string& prefix) {
        return spawn([&] {
            IniFile own(path);
            for (int i = 0; i < perWriter; ++i) {
                const std::string key = prefix + std::to_string(i);
                if (!own.Update([&](IniDocument& doc) { return doc.WriteInt(prefix, key, i); }).ok)
                    ::_exit(1);
            }
        });
    };
    const pid_t first = writer("a");
    const pid_t second = writer("b");
    QVERIFY(first > 0 && second > 0);
    QVERIFY(waitExitedCleanly(first));
    QVERIFY(waitExitedCleanly(second));

    const IniDocument doc = IniFile(path).Load();
    for (const std::string prefix : { "a", "b" }) {
        for (int i = 0; i < perWriter; ++i)
            QCOMPARE(int(doc.ReadInt(prefix, prefix + std::to_string(i), -1)), i);
    }
}

void TestIniFile::rewriteInPlaceDuringASaveIsReadAgain()
{
    // A text editor saves in place, without the lock: truncate, then write, so a save may find the
    // file empty or cut short.
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    const QByteArray original
        = "[Common]\r\nSites=Office,Home\r\n[Office]\r\nIP=10.0.0.5\r\n[Home]\r\nDHCPEnabled=1\r\n";
    writeFile(path, original);
    std::atomic<bool> stop { false };
    std::thread editor([&] {
        const std::string name = str(path);
        while (!stop) {
            const int fd = ::open(name.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (fd < 0)
                continue;
            [[maybe_unused]] auto first = ::write(fd, original.constData(), 20);
            [[maybe_unused]] auto rest = ::write(fd, original.constData() + 20, original.size() - 20);
            ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    IniFile file(str(path));
    int saved = 0;
    int lost = 0;
    for (int i = 0; i < 100; ++i) {
        IniDocument written;
        const auto result = file.Update(
            [&](IniDocument& doc) { return doc.WriteString("Common", "Count", std::to_string(i)); }, &written);
        if (!result.ok) {
            QCOMPARE(result.errorCode, EBUSY); // rewritten again and again: said so, nothing lost
            continue;
        }
        ++saved;
        // What was written holds the editor's sites, never an edit of an empty or cut file.
        lost += written.Value("Office", "IP") != std::optional<std::string>("10.0.0.5") ? 1 : 0;
    }
    stop = true;
    editor.join();
    QCOMPARE(lost, 0);
    QVERIFY(saved > 0);
}

void TestIniFile::heldLockMakesASaveGiveUp()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    const QByteArray original = "[s]\r\nk=old\r\n";
    writeFile(path, original);
    const int holder = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(holder >= 0);
    QCOMPARE(::flock(holder, LOCK_EX), 0);

    const auto edit = [](IniDocument& doc) { return doc.WriteString("s", "k", "new"); };
    const auto refused = IniFile(str(path), std::chrono::milliseconds(200)).Update(edit);
    QVERIFY(!refused.ok);
    QCOMPARE(refused.errorCode, EWOULDBLOCK);
    QCOMPARE(readFile(path), original);
    // Reading never waits for the lock.
    QCOMPARE(IniFile(str(path)).Load().ReadString("s", "k", ""), std::string("old"));

    ::close(holder);
    QVERIFY(IniFile(str(path), std::chrono::milliseconds(200)).Update(edit).ok);
    QCOMPARE(IniFile(str(path)).Load().ReadString("s", "k", ""), std::string("new"));
}

void TestIniFile::savesRespectLinksOwnersAndOthersFiles()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("real"));
    const QString target = dir.filePath("real/lanvex.ini");
    writeFile(target, "[s]\r\nk=1\r\n");
    const auto write = [](const QString& at, const char* value) {
        return IniFile(str(at)).Update([&](IniDocument& doc) { return doc.WriteString("s", "k", value); });
    };
    const auto isLink = [](const QString& at) {
        struct stat info = {};
        return ::lstat(at.toLocal8Bit().constData(), &info) == 0 && S_ISLNK(info.st_mode);
    };

    // Through a link to its target; the link stays a link.
    const QString link = dir.filePath("lanvex.ini");
    QVERIFY(QFile::link("real/lanvex.ini", link));
    QVERIFY(write(link, "2").ok);
    QVERIFY(isLink(link));
    QCOMPARE(IniFile(str(target)).Load().ReadString("s", "k", ""), std::string("2"));
    // A dangling link gets its target.
    const QString dangling = dir.filePath("dangling.ini");
    QVERIFY(QFile::link("real/new.ini", dangling));
    QVERIFY(write(dangling, "3").ok);
    QVERIFY(isLink(dangling));
    QCOMPARE(IniFile(str(dir.filePath("real/new.ini"))).Load().ReadString("s", "k", ""), std::string("3"));

    // A file with another name is not parted from it: the save says it can't.
    const QString other = dir.filePath("other-name.ini");
    QCOMPARE(::link(target.toLocal8Bit().constData(), other.toLocal8Bit().constData()), 0);
    const auto parted = write(target, "4");
    QCOMPARE(parted.errorCode, EMLINK);
    QCOMPARE(IniFile(str(other)).Load().ReadString("s", "k", ""), std::string("2"));
    QVERIFY(QFile::remove(other));

    // Leftovers: only this program's own, of writers that are gone, are cleared.
    const QString gone = dir.filePath("real/.lanvex.ini.tmp.999999999.abcdef");
    const QString running = dir.filePath(QStringLiteral("real/.lanvex.ini.tmp.%1.abcdef").arg(::getpid()));
    const QString lookAlike = dir.filePath("real/.lanvex.ini.tmp.notes1");
    for (const QString& name : { gone, running, lookAlike })
        writeFile(name, "x");
    QVERIFY(write(target, "5").ok);
    QVERIFY(!QFile::exists(gone));
    QVERIFY(QFile::exists(running) && QFile::exists(lookAlike));

    if (::geteuid() != 0)
        QSKIP("owners and links of other users need root");
    // The owner stays.
    QCOMPARE(::chown(target.toLocal8Bit().constData(), 65534, 65534), 0);
    QVERIFY(write(target, "6").ok);
    struct stat info = {};
    QCOMPARE(::stat(target.toLocal8Bit().constData(), &info), 0);
    QCOMPARE(int(info.st_uid), 65534);
    QCOMPARE(int(info.st_gid), 65534);
    // Another user's leftover stays.
    const QString foreign = dir.filePath("real/.lanvex.ini.tmp.999999998.abcdef");
    writeFile(foreign, "x");
    QCOMPARE(::chown(foreign.toLocal8Bit().constData(), 65534, 65534), 0);
    QVERIFY(write(target, "7").ok);
    QVERIFY(QFile::exists(foreign));
    // In a sticky folder open to everyone, another user's link is not followed.
    QVERIFY(QDir(dir.path()).mkdir("shared"));
    QCOMPARE(::chmod(dir.filePath("shared").toLocal8Bit().constData(), 01777), 0);
    const QString planted = dir.filePath("shared/lanvex.ini");
    QVERIFY(QFile::link(target, planted));
    QCOMPARE(::lchown(planted.toLocal8Bit().constData(), 65534, 65534), 0);
    QCOMPARE(write(planted, "8").errorCode, EACCES);
    QCOMPARE(IniFile(str(target)).Load().ReadString("s", "k", ""), std::string("7"));
    QVERIFY(isLink(planted));
    // Anywhere, another user's link leads only to a file of theirs: root saving in a user's folder
    // (sudo -E) never writes through it into a file of its own.
    const QString rootsFile = dir.filePath("real/root.ini");
    writeFile(rootsFile, "[s]\r\nk=root\r\n");
    const QString towardsRoot = dir.filePath("towards-root.ini");
    QVERIFY(QFile::link(rootsFile, towardsRoot));
    QCOMPARE(::lchown(towardsRoot.toLocal8Bit().constData(), 65534, 65534), 0);
    QCOMPARE(write(towardsRoot, "9").errorCode, EACCES);
    QCOMPARE(IniFile(str(rootsFile)).Load().ReadString("s", "k", ""), std::string("root"));
    const QString towardsOwn = dir.filePath("towards-own.ini");
    QVERIFY(QFile::link(target, towardsOwn)); // the target is 65534's since above
    QCOMPARE(::lchown(towardsOwn.toLocal8Bit().constData(), 65534, 65534), 0);
    QVERIFY(write(towardsOwn, "9").ok);
    QCOMPARE(IniFile(str(target)).Load().ReadString("s", "k", ""), std::string("9"));
}

void TestIniFile::settingsPathFollowsTheProgramName_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("settings");
    QTest::newRow("plain") << "/opt/lanvex/lanvex"
                           << "/opt/lanvex/lanvex.ini";
    QTest::newRow("renamed copy") << "/opt/lanvex/office"
                                  << "/opt/lanvex/office.ini";
    QTest::newRow("extension dropped") << "/opt/lanvex/lanvex.exe"
                                       << "/opt/lanvex/lanvex.ini";
    QTest::newRow("only the last extension") << "/a b/my.tool.bin"
                                             << "/a b/my.tool.ini";
    QTest::newRow("Chinese name") << "/opt/切换/网络.exe"
                                  << "/opt/切换/网络.ini";
    QTest::newRow("no folder") << "lanvex"
                               << "./lanvex.ini";
}

void TestIniFile::settingsPathFollowsTheProgramName()
{
    QFETCH(QString, program);
    QFETCH(QString, settings);
    QCOMPARE(QString::fromStdString(lanvex::store::SettingsPathForExecutable(str(program))), settings);
}

void TestIniFile::proceduresReadSitesWholeAndReportWrites()
{
    namespace store = lanvex::store;
    QTemporaryDir dir;
    store::IniFileName = str(dir.filePath("lanvex.ini"));

    const std::string sites = officeNames(40);
    QVERIFY(sites.size() > 400);
    QVERIFY(store::WriteIniString("Common", "Sites", sites));
    QVERIFY(store::WriteIniString("Common", "Other", sites));
    QVERIFY(store::WriteIniInt("site", "DHCPEnabled", 1));
    QVERIFY(store::WriteIniInt("site", "ChangeDNS", 0));
    QVERIFY(store::WriteIniInt("site", "Big", -70000));

    QCOMPARE(store::ReadIniString(" common", "SITES ", "x"), sites);
    // Every other value is cut to 143 bytes of code page 936: 17 names and the comma after them.
    QCOMPARE(store::ReadIniString("Common", "Other", "x"), officeNames(17) + ",");
    QCOMPARE(store::ReadIniString("Common", "Missing", "x"), std::string("x"));
    QCOMPARE(int(store::ReadIniInt("site", "DHCPEnabled", 5)), 1);
    QCOMPARE(int(store::ReadIniInt("site", "Big", 5)), -32768);
    QVERIFY(readFile(QString::fromStdString(store::IniFileName))
                .endsWith("\r\n[site]\r\nDHCPEnabled=1\r\nChangeDNS=0\r\nBig=-70000\r\n"));

    QVERIFY(store::DeleteIniSection("SITE"));
    QCOMPARE(int(store::ReadIniInt("site", "DHCPEnabled", 5)), 5);
    QCOMPARE(store::ReadIniString("Common", "Sites", ""), sites);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_IniFile.moc"
