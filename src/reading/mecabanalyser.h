#pragma once

#include <QString>
#include <memory>

#include "analyser.h"

namespace pobelo::reading {

// The folder of the compiled IPADIC dictionary the programs read: where the platform keeps it,
// or the folder POBELO_MECAB_DICTIONARY names.
QString dictionaryFolder();

// The readings MeCab gives with the IPADIC dictionary (UTF-8). The dictionary is loaded once,
// on first use; analyse may be called from several threads.
class MecabAnalyser : public Analyser {
  public:
    explicit MecabAnalyser(QString folder = dictionaryFolder());
    ~MecabAnalyser() override;
    MecabAnalyser(const MecabAnalyser&) = delete;
    MecabAnalyser& operator=(const MecabAnalyser&) = delete;

    bool available() const override;
    QList<Morpheme> analyse(const QString& sentence) const override;
    // Why the dictionary could not be loaded; empty while it is.
    QString error() const;

  private:
    struct Loaded;
    const Loaded& loaded() const;
    QString folder_;
    mutable std::unique_ptr<Loaded> loaded_;
    mutable bool tried_ = false;
};

// The analyser the programs share.
const Analyser& sharedAnalyser();

}  // namespace pobelo::reading
