#include "mecabanalyser.h"

#include <mecab.h>

#include <QDir>
#include <QFileInfo>
#include <mutex>
#include <vector>

#include "kana.h"

namespace pobelo::reading {

struct MecabAnalyser::Loaded {
    std::unique_ptr<MeCab::Model> model;
    QString error;
};

MecabAnalyser::MecabAnalyser(QString folder) : folder_(std::move(folder)) {}
MecabAnalyser::~MecabAnalyser() = default;

const MecabAnalyser::Loaded& MecabAnalyser::loaded() const {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    if (tried_) return *loaded_;
    tried_ = true;
    loaded_ = std::make_unique<Loaded>();
    const QString dicrc = QDir(folder_).filePath(QStringLiteral("dicrc"));
    if (folder_.isEmpty() || !QFileInfo(dicrc).isFile() ||
        !QFileInfo(QDir(folder_).filePath(QStringLiteral("sys.dic"))).isFile()) {
        loaded_->error =
            QStringLiteral("no dictionary in %1").arg(QDir::toNativeSeparators(folder_));
        return *loaded_;
    }
    // The dictionary's own settings file stands for the system's mecabrc, which may name another
    // dictionary (or another encoding) or be missing. Paths go as UTF-8, as MeCab opens them.
    std::vector<QByteArray> args{"pobelo", "-d", QDir::toNativeSeparators(folder_).toUtf8(), "-r",
                                 QDir::toNativeSeparators(dicrc).toUtf8()};
    std::vector<char*> argv;
    for (QByteArray& a : args) argv.push_back(a.data());
    loaded_->model.reset(MeCab::createModel(int(argv.size()), argv.data()));
    if (!loaded_->model) {
        loaded_->error = QString::fromUtf8(MeCab::getLastError());
        if (loaded_->error.isEmpty())
            loaded_->error = QStringLiteral("the dictionary cannot be read");
    } else if (const MeCab::DictionaryInfo* info = loaded_->model->dictionary_info();
               !info || QByteArray(info->charset).toLower().replace('-', "") != "utf8") {
        loaded_->model.reset();
        loaded_->error = QStringLiteral("the dictionary is not in UTF-8");
    }
    return *loaded_;
}

bool MecabAnalyser::available() const {
    return loaded().model != nullptr;
}

QString MecabAnalyser::error() const {
    return loaded().error;
}

QList<Morpheme> MecabAnalyser::analyse(const QString& sentence) const {
    QList<Morpheme> words;
    const Loaded& l = loaded();
    if (!l.model || sentence.isEmpty()) return words;
    std::unique_ptr<MeCab::Tagger> tagger(l.model->createTagger());
    std::unique_ptr<MeCab::Lattice> lattice(l.model->createLattice());
    if (!tagger || !lattice) return words;
    const QByteArray utf8 = sentence.toUtf8();
    lattice->set_sentence(utf8.constData(), utf8.size());
    if (!tagger->parse(lattice.get())) return words;
    for (const MeCab::Node* node = lattice->bos_node(); node; node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE) continue;
        Morpheme m;
        m.surface = QString::fromUtf8(node->surface, node->length);
        // IPADIC's features: part of speech (4), conjugation (2), base form, reading,
        // pronunciation; a word the dictionary does not know has only the first seven.
        const QList<QByteArray> feature = QByteArray(node->feature).split(',');
        if (feature.size() > 7 && feature[7] != "*")
            m.reading = toHiragana(QString::fromUtf8(feature[7]));
        if (feature.size() > 2 && feature[0] == "名詞") {
            if (feature[1] == "数")
                m.role = Morpheme::Role::Number;
            else if (feature[2] == "助数詞")
                m.role = Morpheme::Role::Counter;
        }
        words.append(m);
    }
    return words;
}

const Analyser& sharedAnalyser() {
    static const MecabAnalyser analyser;
    return analyser;
}

}  // namespace pobelo::reading
