#include "fontresolver.h"

#include <QFontDatabase>
#include <QSet>
#include <array>

namespace pobelo {

namespace {

enum class Kind { MinchoFixed, MinchoProportional, GothicFixed, GothicProportional, Unknown };

// Installed fonts to try for each kind, best first. IPAMincho and IPAGothic are fixed-pitch
// throughout, as the Windows faces without "P" are; the "P" and "ex" fonts set Latin text
// proportionally.
const QStringList& candidatesFor(Kind kind) {
    static const QStringList minchoFixed{
        QStringLiteral("IPAMincho"),         QStringLiteral("IPAexMincho"),
        QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Serif JP"),
        QStringLiteral("Source Han Serif"),  QStringLiteral("TakaoMincho"),
        QStringLiteral("IPAPMincho"),        QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Noto Serif CJK")};
    static const QStringList minchoProportional{
        QStringLiteral("IPAPMincho"),        QStringLiteral("IPAexMincho"),
        QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Serif JP"),
        QStringLiteral("Source Han Serif"),  QStringLiteral("TakaoPMincho"),
        QStringLiteral("IPAMincho"),         QStringLiteral("Noto Serif CJK")};
    static const QStringList gothicFixed{QStringLiteral("IPAGothic"),
                                         QStringLiteral("IPAexGothic"),
                                         QStringLiteral("Noto Sans Mono CJK JP"),
                                         QStringLiteral("Noto Sans CJK JP"),
                                         QStringLiteral("Noto Sans JP"),
                                         QStringLiteral("TakaoGothic"),
                                         QStringLiteral("VL Gothic"),
                                         QStringLiteral("IPAPGothic"),
                                         QStringLiteral("Noto Sans CJK")};
    static const QStringList gothicProportional{
        QStringLiteral("IPAPGothic"),       QStringLiteral("IPAexGothic"),
        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
        QStringLiteral("TakaoPGothic"),     QStringLiteral("VL PGothic"),
        QStringLiteral("IPAGothic"),        QStringLiteral("Noto Sans CJK")};
    static const QStringList fallback{
        QStringLiteral("IPAexMincho"), QStringLiteral("IPAMincho"),
        QStringLiteral("IPAPMincho"),  QStringLiteral("Noto Serif CJK JP"),
        QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic"),
        QStringLiteral("IPAPGothic"),  QStringLiteral("Noto Sans CJK JP")};
    switch (kind) {
        case Kind::MinchoFixed:
            return minchoFixed;
        case Kind::MinchoProportional:
            return minchoProportional;
        case Kind::GothicFixed:
            return gothicFixed;
        case Kind::GothicProportional:
            return gothicProportional;
        case Kind::Unknown:
            break;
    }
    return fallback;
}

struct KnownFace {
    const char* key;  // normalised name, see normalise()
    Kind kind;
    const char* preferred;  // the installed family to try first, or nullptr
};

// Windows faces common on Japanese systems, and the Japanese names of the IPA fonts.
constexpr std::array kKnownFaces{
    KnownFace{"ms明朝", Kind::MinchoFixed, nullptr},
    KnownFace{"msmincho", Kind::MinchoFixed, nullptr},
    KnownFace{"msp明朝", Kind::MinchoProportional, nullptr},
    KnownFace{"mspmincho", Kind::MinchoProportional, nullptr},
    KnownFace{"msゴシック", Kind::GothicFixed, nullptr},
    KnownFace{"msgothic", Kind::GothicFixed, nullptr},
    KnownFace{"mspゴシック", Kind::GothicProportional, nullptr},
    KnownFace{"mspgothic", Kind::GothicProportional, nullptr},
    KnownFace{"msuiゴシック", Kind::GothicProportional, nullptr},
    KnownFace{"msuigothic", Kind::GothicProportional, nullptr},
    KnownFace{"メイリオ", Kind::GothicProportional, "IPAexGothic"},
    KnownFace{"meiryo", Kind::GothicProportional, "IPAexGothic"},
    KnownFace{"meiryoui", Kind::GothicProportional, "IPAexGothic"},
    KnownFace{"游ゴシック", Kind::GothicProportional, "IPAexGothic"},
    KnownFace{"yugothic", Kind::GothicProportional, "IPAexGothic"},
    KnownFace{"yugothicui", Kind::GothicProportional, "IPAexGothic"},
    KnownFace{"游明朝", Kind::MinchoProportional, "IPAexMincho"},
    KnownFace{"yumincho", Kind::MinchoProportional, "IPAexMincho"},
    KnownFace{"bizud明朝", Kind::MinchoFixed, nullptr},
    KnownFace{"bizudmincho", Kind::MinchoFixed, nullptr},
    KnownFace{"bizudp明朝", Kind::MinchoProportional, nullptr},
    KnownFace{"bizudpmincho", Kind::MinchoProportional, nullptr},
    KnownFace{"bizudゴシック", Kind::GothicFixed, nullptr},
    KnownFace{"bizudgothic", Kind::GothicFixed, nullptr},
    KnownFace{"bizudpゴシック", Kind::GothicProportional, nullptr},
    KnownFace{"bizudpgothic", Kind::GothicProportional, nullptr},
    KnownFace{"ipa明朝", Kind::MinchoFixed, "IPAMincho"},
    KnownFace{"ipap明朝", Kind::MinchoProportional, "IPAPMincho"},
    KnownFace{"ipaex明朝", Kind::MinchoProportional, "IPAexMincho"},
    KnownFace{"ipaゴシック", Kind::GothicFixed, "IPAGothic"},
    KnownFace{"ipapゴシック", Kind::GothicProportional, "IPAPGothic"},
    KnownFace{"ipaexゴシック", Kind::GothicProportional, "IPAexGothic"},
};

// Compatibility-folded, case-folded and without white space, so that "ＭＳ　Ｐ明朝", "MS P明朝"
// and "ms p明朝" meet, and half-width katakana ("ｺﾞｼｯｸ") reads as full-width.
QString normalise(const QString& name) {
    const QString folded = name.normalized(QString::NormalizationForm_KC).toCaseFolded();
    QString out;
    out.reserve(folded.size());
    for (const QChar c : folded) {
        if (!c.isSpace()) out.append(c);
    }
    return out;
}

// The kind of a face that is not in the table, guessed from the words in its name (the HG faces,
// for instance, are named "HG明朝E", "HGPゴシックM", "HG丸ｺﾞｼｯｸM-PRO").
Kind guessKind(const QString& key) {
    const bool gothic = key.contains(u"ゴシック") || key.contains(u"gothic") ||
                        key.contains(u"sans") || key.contains(u"丸ゴ");
    const bool mincho = key.contains(u"明朝") || key.contains(u"mincho") ||
                        key.contains(u"serif") || key.contains(u"教科書") ||
                        key.contains(u"楷書") || key.contains(u"行書");
    const bool proportional = key.startsWith(u"msp") || key.startsWith(u"hgp") ||
                              key.contains(u"p明朝") || key.contains(u"pゴシック") ||
                              key.contains(u"pmincho") || key.contains(u"pgothic") ||
                              key.contains(u"-pro") || key.contains(u"ui");
    if (gothic) return proportional ? Kind::GothicProportional : Kind::GothicFixed;
    if (mincho) return proportional ? Kind::MinchoProportional : Kind::MinchoFixed;
    return Kind::Unknown;
}

// The installed Japanese family whose name matches `family`, ignoring case, or an empty string.
QString installedJapanese(const QString& family, const QStringList& installed) {
    for (const QString& f : installed) {
        if (f.compare(family, Qt::CaseInsensitive) == 0) return f;
    }
    return {};
}

QString firstInstalled(const QStringList& candidates, const QStringList& installed) {
    for (const QString& c : candidates) {
        const QString found = installedJapanese(c, installed);
        if (!found.isEmpty()) return found;
    }
    return {};
}

QString fallbackFamily(Kind kind, const QStringList& installed) {
    QString found = firstInstalled(candidatesFor(kind), installed);
    if (found.isEmpty()) found = firstInstalled(candidatesFor(Kind::Unknown), installed);
    if (found.isEmpty() && !installed.isEmpty()) {
        // No known font: prefer one of the same kind by its name, else any Japanese font.
        const bool wantGothic = kind == Kind::GothicFixed || kind == Kind::GothicProportional;
        for (const QString& f : installed) {
            const Kind k = guessKind(normalise(f));
            const bool isGothic = k == Kind::GothicFixed || k == Kind::GothicProportional;
            if (k != Kind::Unknown && isGothic == wantGothic) return f;
        }
        found = installed.first();
    }
    if (found.isEmpty()) {
        const QStringList all = QFontDatabase::families();
        if (!all.isEmpty()) found = all.first();
    }
    return found;
}

}  // namespace

bool isVerticalFaceName(const QString& name) {
    return name.startsWith(u'@');
}

QString stripVerticalMark(const QString& name) {
    return isVerticalFaceName(name) ? name.mid(1) : name;
}

QStringList japaneseFontFamilies() {
    QStringList out;
    const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    for (const QString& f : families) {
        if (f.isEmpty() || f.startsWith(u'@') || QFontDatabase::isPrivateFamily(f)) continue;
        out.append(f);
    }
    out.removeDuplicates();
    out.sort(Qt::CaseInsensitive);
    return out;
}

QString resolveFaceName(const QString& name) {
    const QString face = stripVerticalMark(name).trimmed();
    const QStringList installed = japaneseFontFamilies();

    const QString exact = installedJapanese(face, installed);
    if (!exact.isEmpty()) return exact;

    const QString key = normalise(face);
    for (const QString& f : installed) {
        if (normalise(f) == key) return f;  // "IPAex Mincho", "ＩＰＡｅｘＭｉｎｃｈｏ"
    }
    for (const KnownFace& known : kKnownFaces) {
        if (key != QString::fromUtf8(known.key)) continue;
        if (known.preferred) {
            const QString preferred =
                installedJapanese(QString::fromUtf8(known.preferred), installed);
            if (!preferred.isEmpty()) return preferred;
        }
        return fallbackFamily(known.kind, installed);
    }
    return fallbackFamily(guessKind(key), installed);
}

}  // namespace pobelo
