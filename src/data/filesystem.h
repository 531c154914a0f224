#pragma once

// What the program asks of the operating system's files, in one place per platform:
// filesystem_posix.cpp on Linux and the BSDs (filesystem_windows.cpp for Windows goes beside it).
// Nothing here names a system call, so the callers stay the same on every platform.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace pobelo {

// --- Identity ------------------------------------------------------------------------------------
// Which file a name leads to, whatever links and folders it goes through: an existing file by its
// volume and its number on it (device and inode; volume serial and file index on Windows), after
// every link is followed. A name that leads to no file yet (a new output, or a link pointing
// nowhere) is told by the identity of the folder it would be made in and the name it would have
// there, so "lnk/o.pdf" (lnk → .) and "o.pdf" are one file before either exists.
struct FileIdentity {
    quint64 volume = 0;
    quint64 index = 0;  // of the file; of its folder when the file is not there yet
    QByteArray name;    // empty for an existing file; the new file's name in that folder otherwise
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of what path names; nothing when it cannot be known (an empty name, a folder on
// the way missing or not readable).
std::optional<FileIdentity> fileIdentity(const QString& path);

// Whether a and b lead to one file, by their identities.
bool sameFile(const QString& a, const QString& b);

// --- What a name leads to ---
enum class FileKind { Missing, Regular, Folder, Other };
// What path names, links followed.
FileKind fileKind(const QString& path);
// Opens path (bytes kept by localPathFromBytes given back as they were) for reading into file.
bool openForReading(QFile& file, const QString& path);
// The same for a file that must be a regular file; a folder, device or pipe is refused without
// waiting on it.
enum class OpenResult { Opened, Missing, NotRegular, Failed };
OpenResult openRegularForReading(QFile& file, const QString& path);

// The program's command line as the system gave it: on Linux as bytes (a name that is not UTF-8
// keeps its bytes, see localPathFromBytes), on Windows as the system's own UTF-16.
QStringList commandLineArguments(int argc, char** argv);

// --- Files the process has read ------------------------------------------------------------------
// Every file the process reads as its input (each question file opened in the session, the
// script) is registered here, and no output may ever replace one of them: neither by the name it
// had then nor by its name now.
struct ReadFile {
    QString path;
    QString what;                          // for messages: "the question file", "the script"
    std::optional<FileIdentity> identity;  // as it was when it was read
    // A document the user opened (a sheet set), which its own save command may replace.
    bool document = false;
};

void registerReadFile(const QString& path, const QString& what);
// A document the user opened: only an output transaction that saves documents may replace it.
void registerOpenedDocument(const QString& path, const QString& what);
QList<ReadFile> readFiles();
// The read file that target is, or nothing. target's identity is compared with each read file's
// identity then and now.
std::optional<ReadFile> readFileAt(const FileIdentity& target);
// Forgets every registered file (for tests, which run many sessions in one process).
void forgetReadFiles();

// --- Files being written ---
// An output transaction claims its targets for as long as it is begun, so that no other output
// of the process (a scripted print while the run's trace is written) replaces one of them.
void claimOutput(const void* owner, const FileIdentity& identity, const QString& path,
                 const QString& what);
void releaseOutputs(const void* owner);
// The file another owner is writing at target, or nothing.
std::optional<ReadFile> claimedOutputAt(const FileIdentity& target, const void* owner);

// --- Replacing a file ----------------------------------------------------------------------------
namespace platform {

using TargetKind = FileKind;

// What an output's name leads to: the name to replace, every link followed (a link pointing
// nowhere gives the name it points to, which is then made), and what is there now.
struct Target {
    QByteArray path;  // native bytes
    TargetKind kind = TargetKind::Missing;
    int error = 0;  // the system's error number when the name cannot be followed
};
Target resolveTarget(const QString& path);

// An open temporary file beside the file it is to replace.
struct TemporaryFile {
    qintptr handle = -1;
    QByteArray path;
    int slot = -1;  // its place in the list of files removed on a fatal signal
};

// Each returns 0, or the system's error number. A temporary file is created beside target, with
// the owner and the permissions of the file it replaces where the process may give them (never
// set-user-ID or set-group-ID), or those a new file gets. Until it is renamed or removed it is
// removed as well when the process is stopped by an interrupt, a hang-up, a broken pipe or a
// terminate signal.
int createTemporary(const QByteArray& target, TemporaryFile* file);
int writeAll(TemporaryFile& file, const char* data, qint64 size);
// Flushes the file to the disk and closes it.
int syncAndClose(TemporaryFile& file);
// Closes the file if open and removes it.
void removeTemporary(TemporaryFile& file);
// Puts the closed temporary file in place of target in one step.
int replaceWith(TemporaryFile& file, const QByteArray& target);
// A second name for target beside it, to put it back with restore if a later step fails. Empty
// when the file system has no such names.
QByteArray keepAside(const QByteArray& target);
int restore(const QByteArray& kept, const QByteArray& target);
void removeKept(const QByteArray& kept);
// Makes the new names in target's folder reach the disk.
void syncFolder(const QByteArray& target);

// The system's words for an error number.
QString errorText(int error);
// Error numbers the callers tell apart.
enum class ErrorKind { NoSpace, NoPermission, ReadOnly, NoFolder, NameTooLong, TooLarge, Other };
ErrorKind errorKind(int error);
int tooLargeError();

// A write that makes a file larger than the process may is then an error, not a fatal signal.
void reportFileSizeLimitAsError();

// --- Fault injection, for the tests ---
// The calls of a replacement, each made to fail once with the given error number when its turn
// comes: count calls of that kind succeed first.
enum class Call { Write, Sync, Close, Rename };
void failCall(Call call, int error, int count = 0);
void clearFailures();
// The error the next call of that kind is to fail with, or 0; counts the call. For the platform
// files.
int injectedFailure(Call call);

}  // namespace platform

}  // namespace pobelo
