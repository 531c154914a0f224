#include "outputtransaction.h"

#include <QCoreApplication>
#include <optional>

#include "filesystem.h"
#include "localfile.h"

namespace pobelo {

namespace {
constexpr qsizetype kBufferBytes = 64 * 1024;
}  // namespace

struct OutputTransaction::Target {
    QString path;
    QString what;
    QByteArray resolved;  // the file to replace, links followed
    std::optional<FileIdentity> identity;
    platform::TemporaryFile temporary;
    QByteArray kept;  // the old file under a second name while the targets are renamed
    bool existed = false;
    bool replaced = false;
    std::unique_ptr<Device> device;
};

// Buffers the bytes of one target and writes them into its temporary file.
class OutputTransaction::Device : public QIODevice {
  public:
    Device(OutputTransaction& transaction, int target)
        : transaction_(transaction), target_(target) {
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    qint64 taken() const { return written_ + buffer_.size(); }

    bool flushBuffer() {
        if (transaction_.failed()) return false;
        Target& t = *transaction_.targets_[size_t(target_)];
        const int error = platform::writeAll(t.temporary, buffer_.constData(), buffer_.size());
        if (error != 0) return transaction_.failSystem(target_, error);
        written_ += buffer_.size();
        buffer_.clear();
        return true;
    }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (transaction_.failed()) return -1;
        buffer_.append(data, size);
        if (buffer_.size() >= kBufferBytes && !flushBuffer()) return -1;
        return size;
    }

  private:
    OutputTransaction& transaction_;
    int target_;
    QByteArray buffer_;
    qint64 written_ = 0;
};

OutputTransaction::OutputTransaction() = default;

OutputTransaction::~OutputTransaction() {
    abandon();
}

int OutputTransaction::add(const QString& path, const QString& what) {
    auto target = std::make_unique<Target>();
    target->path = path;
    target->what = what;
    targets_.push_back(std::move(target));
    return int(targets_.size()) - 1;
}

const QString& OutputTransaction::path(int target) const {
    return targets_.at(size_t(target))->path;
}

QIODevice* OutputTransaction::device(int target) const {
    return begun_ ? targets_.at(size_t(target))->device.get() : nullptr;
}

qint64 OutputTransaction::writtenSize(int target) const {
    const Device* device = targets_.at(size_t(target))->device.get();
    return device ? device->taken() : 0;
}

bool OutputTransaction::fail(int target, Problem problem, int osError, const QString& reason) {
    if (problem_ != Problem::None) return false;
    problem_ = problem;
    osError_ = osError;
    failedTarget_ = target;
    error_ = reason;
    return false;
}

bool OutputTransaction::failSystem(int target, int osError) {
    return fail(target, Problem::System, osError, platform::errorText(osError));
}

bool OutputTransaction::checkTargets() {
    std::vector<std::optional<FileIdentity>> identities;
    for (size_t i = 0; i < targets_.size(); ++i) {
        Target& t = *targets_[i];
        const int n = int(i);
        const platform::Target resolved = platform::resolveTarget(t.path);
        if (resolved.error != 0) return failSystem(n, resolved.error);
        t.resolved = resolved.path;
        t.existed = resolved.kind == platform::TargetKind::Regular;
        // In the user's language where pobelo-sheet has installed its texts.
        if (resolved.kind == platform::TargetKind::Folder)
            return fail(n, Problem::NotRegular, 0,
                        QCoreApplication::translate("pobelo_notes", "it is a folder"));
        if (resolved.kind == platform::TargetKind::Other) {
            return fail(n, Problem::NotRegular, 0,
                        QCoreApplication::translate(
                            "pobelo_notes",
                            "it is not a regular file (a pipe, device or socket) and is not "
                            "replaced"));
        }
        const std::optional<FileIdentity> identity = fileIdentity(t.path);
        if (identity) {
            const std::optional<ReadFile> input = readFileAt(*identity);
            const bool edited =
                !editedDocument_.isEmpty() && fileIdentity(editedDocument_) == identity;
            if (input && !(input->document && savesDocument_) && !edited) {
                return fail(n, Problem::IsInput, 0,
                            QStringLiteral("it is %1 %2, which is never written")
                                .arg(input->what, displayPath(input->path)));
            }
        }
        if (const std::optional<ReadFile> other =
                identity ? claimedOutputAt(*identity, this) : std::nullopt) {
            return fail(n, Problem::SameTarget, 0,
                        QStringLiteral("it is %1 %2, which is being written")
                            .arg(other->what, displayPath(other->path)));
        }
        t.identity = identity;
        for (size_t j = 0; j < i; ++j) {
            if (!identity || identities[j] != identity) continue;
            const Target& other = *targets_[j];
            return fail(n, Problem::SameTarget, 0,
                        QStringLiteral("it is the same file as %1 %2")
                            .arg(other.what, displayPath(other.path))
                            .simplified());
        }
        identities.push_back(identity);
    }
    return true;
}

bool OutputTransaction::check() {
    abandon();
    problem_ = Problem::None;
    osError_ = 0;
    failedTarget_ = -1;
    error_.clear();
    return checkTargets();
}

bool OutputTransaction::begin() {
    if (!check()) return false;
    for (size_t i = 0; i < targets_.size(); ++i) {
        Target& t = *targets_[i];
        const int error = platform::createTemporary(t.resolved, &t.temporary);
        if (error != 0) {
            failSystem(int(i), error);
            abandon();
            return false;
        }
        t.device = std::make_unique<Device>(*this, int(i));
        if (t.identity) claimOutput(this, *t.identity, t.path, t.what);
    }
    begun_ = true;
    return true;
}

bool OutputTransaction::commit() {
    if (!begun_) {
        if (problem_ == Problem::None) fail(-1, Problem::System, 0, QStringLiteral("not begun"));
        return false;
    }
    // Every file whole on the disk first.
    for (size_t i = 0; i < targets_.size() && !failed(); ++i) {
        Target& t = *targets_[i];
        if (!t.device->flushBuffer()) break;
        if (const int error = platform::syncAndClose(t.temporary); error != 0)
            failSystem(int(i), error);
    }
    // The targets may have changed since begin: look again right before replacing them.
    if (failed() || !checkTargets()) {
        abandon();
        return false;
    }
    for (size_t i = 0; i < targets_.size(); ++i) {
        Target& t = *targets_[i];
        if (t.existed) t.kept = platform::keepAside(t.resolved);
        if (const int error = platform::replaceWith(t.temporary, t.resolved); error != 0) {
            failSystem(int(i), error);
            break;
        }
        t.replaced = true;
    }
    if (failed()) {
        // Those already in place go back to what they were.
        for (auto& target : targets_) {
            Target& t = *target;
            if (!t.replaced) continue;
            if (!t.kept.isEmpty()) {
                platform::restore(t.kept, t.resolved);
            } else if (!t.existed) {
                platform::TemporaryFile made{-1, t.resolved, -1};
                platform::removeTemporary(made);
            }
        }
        abandon();
        return false;
    }
    for (auto& target : targets_) {
        platform::removeKept(target->kept);
        target->kept.clear();
        platform::syncFolder(target->resolved);
    }
    abandon();
    return true;
}

void OutputTransaction::removeTemporaries() {
    for (auto& target : targets_) {
        Target& t = *target;
        platform::removeTemporary(t.temporary);
        platform::removeKept(t.kept);
        t.kept.clear();
        t.replaced = false;
        t.device.reset();
    }
}

void OutputTransaction::abandon() {
    releaseOutputs(this);
    removeTemporaries();
    begun_ = false;
}

}  // namespace pobelo
