// The platform-neutral part of filesystem.h: the files the process has read.
#include "filesystem.h"

#include <QMutex>
#include <array>

namespace pobelo {

namespace {
QMutex g_readLock;
QList<ReadFile>& readList() {
    static QList<ReadFile> list;
    return list;
}
}  // namespace

bool sameFile(const QString& a, const QString& b) {
    const std::optional<FileIdentity> first = fileIdentity(a);
    return first && first == fileIdentity(b);
}

namespace {
void registerRead(const QString& path, const QString& what, bool document) {
    if (path.isEmpty()) return;
    ReadFile file{path, what, fileIdentity(path), document};
    QMutexLocker lock(&g_readLock);
    for (ReadFile& known : readList()) {
        if (known.path == path && known.identity == file.identity) {
            // Read as an input once, it stays one.
            known.document = known.document && document;
            return;
        }
    }
    readList().append(std::move(file));
}
}  // namespace

void registerReadFile(const QString& path, const QString& what) {
    registerRead(path, what, false);
}

void registerOpenedDocument(const QString& path, const QString& what) {
    registerRead(path, what, true);
}

QList<ReadFile> readFiles() {
    QMutexLocker lock(&g_readLock);
    return readList();
}

std::optional<ReadFile> readFileAt(const FileIdentity& target) {
    for (const ReadFile& file : readFiles()) {
        if (file.identity == target || fileIdentity(file.path) == target) return file;
    }
    return std::nullopt;
}

namespace {
struct Claim {
    const void* owner;
    ReadFile file;
};
QList<Claim>& claims() {
    static QList<Claim> list;
    return list;
}
}  // namespace

void claimOutput(const void* owner, const FileIdentity& identity, const QString& path,
                 const QString& what) {
    QMutexLocker lock(&g_readLock);
    claims().append(Claim{owner, ReadFile{path, what, identity}});
}

void releaseOutputs(const void* owner) {
    QMutexLocker lock(&g_readLock);
    claims().removeIf([owner](const Claim& claim) { return claim.owner == owner; });
}

std::optional<ReadFile> claimedOutputAt(const FileIdentity& target, const void* owner) {
    QMutexLocker lock(&g_readLock);
    for (const Claim& claim : claims()) {
        if (claim.owner != owner && claim.file.identity == target) return claim.file;
    }
    return std::nullopt;
}

void forgetReadFiles() {
    QMutexLocker lock(&g_readLock);
    readList().clear();
}

namespace platform {

namespace {
struct Fault {
    bool armed = false;
    int error = 0;
    int skip = 0;  // calls of that kind that succeed first
};
std::array<Fault, 4> g_faults;
}  // namespace

void failCall(Call call, int error, int count) {
    g_faults[size_t(call)] = Fault{true, error, count};
}

void clearFailures() {
    g_faults = {};
}

int injectedFailure(Call call) {
    Fault& fault = g_faults[size_t(call)];
    if (!fault.armed) return 0;
    if (fault.skip > 0) {
        --fault.skip;
        return 0;
    }
    fault.armed = false;
    return fault.error;
}

}  // namespace platform

}  // namespace pobelo
