#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <memory>

namespace pobelo {

// Every file one action writes, put in place together or not at all. The targets are named first
// and checked before anything is written: each must be a regular file or not there yet, none may
// be another target of the same action (by identity: "lnk/o.pdf" and "o.pdf" are one), and none
// may be a file the process has read (registerReadFile). Each target is then written into a
// temporary file beside it; commit flushes and syncs them all, and only when every one succeeded
// are they renamed into place. On any failure none of the targets is replaced (those already
// renamed are put back) and no temporary file is left; errorString() says why.
class OutputTransaction {
  public:
    enum class Problem {
        None,
        NotRegular,  // a target exists and is no regular file
        IsInput,     // a target is a file the process has read
        SameTarget,  // two targets are one file
        System,      // the system refused a step: osError() says why
    };

    OutputTransaction();
    ~OutputTransaction();
    OutputTransaction(const OutputTransaction&) = delete;
    OutputTransaction& operator=(const OutputTransaction&) = delete;

    // Names a file to write; what describes it in messages ("OUT", "the trace file"). Returns its
    // number for device().
    int add(const QString& path, const QString& what = QString());
    // The transaction saves a document the user opened: it may replace an opened document (every
    // other read file it still refuses).
    void setSavesDocument(bool on) { savesDocument_ = on; }
    // The transaction saves the document being edited at path (a teacher's own question file):
    // it may replace that file, whatever else has read it (the window prints from it too); every
    // other read file it still refuses.
    void setEditedDocument(const QString& path) { editedDocument_ = path; }
    // Whether every target may be written, without writing anything.
    bool check();
    // Checks, then starts a temporary file for every target.
    bool begin();
    // Where target's bytes go, between begin and commit; nullptr otherwise. A write that fails
    // fails the whole transaction.
    QIODevice* device(int target) const;
    // Every byte taken for target so far.
    qint64 writtenSize(int target) const;
    // Puts every target in place. False, with the reason, on any failure; nothing is replaced.
    bool commit();
    // Drops what was written; every target stays as it was.
    void abandon();

    int count() const { return int(targets_.size()); }
    const QString& path(int target) const;
    bool failed() const { return problem_ != Problem::None; }
    Problem problem() const { return problem_; }
    int osError() const { return osError_; }
    QString errorString() const { return error_; }
    // The target the failure is about; -1 when none.
    int failedTarget() const { return failedTarget_; }

  private:
    struct Target;
    class Device;
    bool fail(int target, Problem problem, int osError, const QString& reason);
    bool failSystem(int target, int osError);
    bool checkTargets();
    void removeTemporaries();

    std::vector<std::unique_ptr<Target>> targets_;
    bool begun_ = false;
    bool savesDocument_ = false;
    QString editedDocument_;
    Problem problem_ = Problem::None;
    int osError_ = 0;
    int failedTarget_ = -1;
    QString error_;
};

}  // namespace pobelo
