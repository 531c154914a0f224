#pragma once

#include <QCryptographicHash>
#include <QFile>
#include <QIODevice>
#include <QString>

namespace pobelo {

// Passes a file's bytes on to the reader and hashes each byte the first time it is read, so that
// the hash is that of the very bytes the questions came from (a scan that reads ahead and seeks
// back hashes nothing twice).
class HashingReader : public QIODevice {
  public:
    explicit HashingReader(QFile& file) : file_(file) {}
    bool isSequential() const override { return file_.isSequential(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && file_.seek(pos); }
    qint64 size() const override { return file_.size(); }
    // The SHA-256 of the bytes read, in lower-case hex; empty when some were skipped.
    QString sha256() const {
        return gap_ ? QString() : QString::fromLatin1(hash_.result().toHex());
    }

  protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 at = file_.pos();
        const qint64 got = file_.read(data, max);
        if (got <= 0) return got;
        if (at > hashed_) gap_ = true;
        if (at + got > hashed_ && at <= hashed_) {
            hash_.addData(QByteArrayView(data + (hashed_ - at), at + got - hashed_));
            hashed_ = at + got;
        }
        return got;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QFile& file_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    qint64 hashed_ = 0;
    bool gap_ = false;
};

}  // namespace pobelo
