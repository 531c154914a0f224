// The platform-neutral part of filesystem.h: the files the process has read.
#include "filesystem.h"

#include <QMutex>

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

void registerReadFile(const QString& path, const QString& what) {
    if (path.isEmpty()) return;
    ReadFile file{path, what, fileIdentity(path)};
    QMutexLocker lock(&g_readLock);
    for (const ReadFile& known : readList()) {
        if (known.path == path && known.identity == file.identity) return;
    }
    readList().append(std::move(file));
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

}  // namespace pobelo
