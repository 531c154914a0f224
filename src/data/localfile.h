#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QList>
#include <QString>
#include <memory>

class QTemporaryDir;

namespace pobelo {

// --- Local file names are bytes ------------------------------------------------------------------
// Qt turns every byte of a file name that is not UTF-8 into U+FFFD, so a name copied from a Windows
// share (CP932 bytes) could neither be opened nor written. Here each such byte is kept as a lone
// low surrogate (U+DC80 to U+DCFF) and given back unchanged when the name is used.

// The name the system gave as bytes (a command-line argument, a file: URL's path).
QString localPathFromBytes(QByteArrayView bytes);
// The bytes to hand to the system for path.
QByteArray localPathBytes(const QString& path);
// path for a message: kept bytes shown as Windows Japanese text where they decode as such.
QString displayPath(const QString& path);
// The last part of path (the file's name without its folder), as displayPath shows it.
QString displayFileName(const QString& path);

// Whether a and b name one existing file (the same device and inode, links followed).
bool sameFile(const QString& a, const QString& b);

// Without XDG_RUNTIME_DIR in the environment (cron, ssh, a container) Qt warns on every run; the
// program then gets a private runtime folder of its own for as long as the returned folder lives.
std::unique_ptr<QTemporaryDir> provideRuntimeDir();

// --- A file that appears whole or not at all
// ------------------------------------------------------ The bytes go into a temporary file in the
// target's folder; every write, the flush to the disk and the close are checked, and only then does
// the temporary file replace the target in one step. On any failure the target stays as it was, the
// temporary file is removed and errorString() holds the system's reason. A target that is not a
// regular file (a folder, FIFO, device or socket) is refused, and so is a target that is one of the
// inputs given with addInput.
class AtomicFile : public QIODevice {
  public:
    enum class Problem {
        None,
        NotRegular,  // the target exists and is no regular file
        IsInput,     // the target is one of the inputs
        System,      // the system refused a step: osError() says why
    };

    explicit AtomicFile(const QString& path);
    ~AtomicFile() override;

    // A file this one must never replace, described for messages ("the question file").
    void addInput(const QString& path, const QString& what);
    // Whether the target may be replaced, without writing anything. False, with the reason, when
    // it is no regular file or one of the inputs.
    bool checkTarget();
    // Creates the temporary file. False, with the reason, when the target may not or cannot be
    // written.
    bool begin();
    // Puts the written bytes in place of the target. False, with the reason, on any failure.
    bool commit();
    // Drops what was written; the target stays as it was.
    void abandon();

    const QString& path() const { return path_; }
    Problem problem() const { return problem_; }
    int osError() const { return osError_; }
    // Every byte taken so far, written out or still buffered.
    qint64 writtenSize() const { return written_ + buffer_.size(); }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

  private:
    bool fail(Problem problem, int osError, const QString& reason);
    bool failSystem(int osError);
    // Checks what the target names now; false (with the failure set) when it may not be replaced.
    bool targetReplaceable();
    bool flushBuffer();
    void discard();

    QString path_;
    QByteArray target_;     // the file to replace, links resolved
    QByteArray temporary_;  // while begun
    QList<std::pair<QString, QString>> inputs_;
    QByteArray buffer_;
    int fd_ = -1;
    qint64 written_ = 0;
    Problem problem_ = Problem::None;
    int osError_ = 0;
};

}  // namespace pobelo
