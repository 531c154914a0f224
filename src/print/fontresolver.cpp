#include "fontresolver.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QHash>
#include <QRawFont>
#include <algorithm>
#include <array>

#include "platformfonts.h"
#include "verticaltext.h"

namespace pobelo {

namespace {

enum class Kind {
    MinchoFixed,
    MinchoProportional,
    GothicFixed,
    GothicProportional,
    Textbook,
    Unknown
};

// Installed fonts to try for each kind, best first. IPAMincho and IPAGothic are fixed-pitch
// throughout, as the Windows faces without "P" are; the "P" and "ex" fonts set Latin text
// proportionally.
const QStringList& candidatesFor(Kind kind) {
    static const QStringList minchoFixed{
        QStringLiteral("IPAMincho"),         QStringLiteral("IPAexMincho"),
        QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Serif JP"),
        QStringLiteral("Source Han Serif"),  QStringLiteral("TakaoMincho"),
        QStringLiteral("IPAPMincho"),        QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Noto Serif CJK"),    QStringLiteral("MS Mincho"),
        QStringLiteral("BIZ UDMincho"),      QStringLiteral("Yu Mincho")};
    static const QStringList minchoProportional{
        QStringLiteral("IPAPMincho"),        QStringLiteral("IPAexMincho"),
        QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Serif JP"),
        QStringLiteral("Source Han Serif"),  QStringLiteral("TakaoPMincho"),
        QStringLiteral("IPAMincho"),         QStringLiteral("Noto Serif CJK"),
        QStringLiteral("MS PMincho"),        QStringLiteral("Yu Mincho"),
        QStringLiteral("MS Mincho")};
    static const QStringList gothicFixed{QStringLiteral("IPAGothic"),
                                         QStringLiteral("IPAexGothic"),
                                         QStringLiteral("Noto Sans Mono CJK JP"),
                                         QStringLiteral("Noto Sans CJK JP"),
                                         QStringLiteral("Noto Sans JP"),
                                         QStringLiteral("TakaoGothic"),
                                         QStringLiteral("VL Gothic"),
                                         QStringLiteral("IPAPGothic"),
                                         QStringLiteral("Noto Sans CJK"),
                                         QStringLiteral("MS Gothic"),
                                         QStringLiteral("BIZ UDGothic"),
                                         QStringLiteral("Yu Gothic")};
    static const QStringList gothicProportional{
        QStringLiteral("IPAPGothic"),       QStringLiteral("IPAexGothic"),
        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
        QStringLiteral("TakaoPGothic"),     QStringLiteral("VL PGothic"),
        QStringLiteral("IPAGothic"),        QStringLiteral("Noto Sans CJK"),
        QStringLiteral("MS PGothic"),       QStringLiteral("Meiryo"),
        QStringLiteral("Yu Gothic"),        QStringLiteral("MS Gothic")};
    // Textbook, kaisho and brush faces: a textbook-like face with vertical forms, then mincho.
    static const QStringList textbook{QStringLiteral("HG教科書体"),
                                      QStringLiteral("HGKyokashotai"),
                                      QStringLiteral("UD デジタル 教科書体 N-R"),
                                      QStringLiteral("UD Digi Kyokasho N-R"),
                                      QStringLiteral("Klee One"),
                                      QStringLiteral("IPAMincho"),
                                      QStringLiteral("IPAexMincho"),
                                      QStringLiteral("BIZ UDMincho"),
                                      QStringLiteral("Noto Serif CJK JP"),
                                      QStringLiteral("Noto Serif JP"),
                                      QStringLiteral("Source Han Serif"),
                                      QStringLiteral("TakaoMincho"),
                                      QStringLiteral("IPAPMincho")};
    static const QStringList fallback{
        QStringLiteral("IPAexMincho"), QStringLiteral("IPAMincho"),
        QStringLiteral("IPAPMincho"),  QStringLiteral("Noto Serif CJK JP"),
        QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic"),
        QStringLiteral("IPAPGothic"),  QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("MS Mincho"),   QStringLiteral("Yu Mincho"),
        QStringLiteral("MS Gothic"),   QStringLiteral("Meiryo")};
    switch (kind) {
        case Kind::MinchoFixed:
            return minchoFixed;
        case Kind::MinchoProportional:
            return minchoProportional;
        case Kind::GothicFixed:
            return gothicFixed;
        case Kind::GothicProportional:
            return gothicProportional;
        case Kind::Textbook:
            return textbook;
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
    static const char16_t* const textbookWords[] = {u"教科書", u"楷書",   u"行書",     u"草書",
                                                    u"毛筆",   u"筆",     u"kyokasho", u"kyoukasho",
                                                    u"kaisho", u"gyosho", u"textbook", u"brush"};
    for (const char16_t* word : textbookWords) {
        if (key.contains(QStringView(word))) return Kind::Textbook;
    }
    const bool gothic = key.contains(u"ゴシック") || key.contains(u"gothic") ||
                        key.contains(u"sans") || key.contains(u"丸ゴ");
    const bool mincho = key.contains(u"明朝") || key.contains(u"mincho") || key.contains(u"serif");
    const bool proportional = key.startsWith(u"msp") || key.startsWith(u"hgp") ||
                              key.contains(u"p明朝") || key.contains(u"pゴシック") ||
                              key.contains(u"pmincho") || key.contains(u"pgothic") ||
                              key.contains(u"-pro") || key.contains(u"ui");
    if (gothic) return proportional ? Kind::GothicProportional : Kind::GothicFixed;
    if (mincho) return proportional ? Kind::MinchoProportional : Kind::MinchoFixed;
    return Kind::Unknown;
}

// An installed family with its names normalised for comparison.
struct KnownFamily {
    InstalledFamily installed;
    QStringList keys;  // every name, normalised
};

const QList<KnownFamily>& installedFamilies() {
    static const QList<KnownFamily> families = [] {
        QList<KnownFamily> out;
        for (const InstalledFamily& f : listInstalledFamilies()) {
            KnownFamily known{f, {normalise(f.family)}};
            for (const QString& name : f.names) {
                const QString key = normalise(name);
                if (!known.keys.contains(key)) known.keys.append(key);
            }
            out.append(known);
        }
        return out;
    }();
    return families;
}

// The installed Japanese family that has `name` among its names (in any language, ignoring case
// and spaces), or an empty string.
QString installedJapanese(const QString& name, const QStringList& installed) {
    const QString key = normalise(name);
    for (const KnownFamily& f : installedFamilies()) {
        if (f.keys.contains(key) && installed.contains(f.installed.family))
            return f.installed.family;
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

bool isGothic(Kind kind) {
    return kind == Kind::GothicFixed || kind == Kind::GothicProportional;
}

QString fallbackFamily(Kind kind, const QStringList& installed) {
    QString found = firstInstalled(candidatesFor(kind), installed);
    if (found.isEmpty() && kind == Kind::Textbook) {
        for (const QString& f : installed) {
            if (guessKind(normalise(f)) == Kind::Textbook) return f;
        }
    }
    if (found.isEmpty()) found = firstInstalled(candidatesFor(Kind::Unknown), installed);
    if (found.isEmpty() && !installed.isEmpty()) {
        // No known font: prefer one of the same kind by its name, else any Japanese font.
        for (const QString& f : installed) {
            const Kind k = guessKind(normalise(f));
            if (k != Kind::Unknown && isGothic(k) == isGothic(kind)) return f;
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

QList<JapaneseFace> japaneseFaces() {
    QList<JapaneseFace> out;
    for (const KnownFamily& known : installedFamilies()) {
        const InstalledFamily& f = known.installed;
        if (f.writesJapanese && !QFontDatabase::isPrivateFamily(f.family))
            out.append(JapaneseFace{f.family, f.japaneseName});
    }
    std::sort(out.begin(), out.end(), [](const JapaneseFace& a, const JapaneseFace& b) {
        return a.family.compare(b.family, Qt::CaseInsensitive) < 0;
    });
    return out;
}

QStringList japaneseFontFamilies() {
    QStringList out;
    for (const JapaneseFace& f : japaneseFaces()) out.append(f.family);
    return out;
}

bool japaneseFontUsable() {
    const QStringList families = japaneseFontFamilies();
    if (families.isEmpty()) return false;
    QFont font(families.first());
    font.setStyleStrategy(QFont::PreferOutline);
    return isUsableFace(QRawFont::fromFont(font));
}

QString noJapaneseFontMessage(NoteLanguage language) {
    if (language == NoteLanguage::Japanese) {
        return QStringLiteral(
            "使える日本語フォントがありません。fonts-ipaexfont などの日本語フォントを"
            "インストールしてください。");
    }
    return QStringLiteral(
        "no usable Japanese font: install one, such as the package fonts-ipaexfont "
        "(IPAex Mincho and Gothic)");
}

ResolvedFace resolveFace(const QString& name) {
    const QString face = stripVerticalMark(name).trimmed();
    const QString key = normalise(face);
    const QStringList installed = japaneseFontFamilies();

    // A font that writes Japanese, named by any of its names in any language.
    bool namedButNotJapanese = false;
    if (!key.isEmpty()) {
        for (const KnownFamily& f : installedFamilies()) {
            if (!f.keys.contains(key)) continue;
            if (f.installed.writesJapanese) return {f.installed.family, FaceMatch::Named};
            namedButNotJapanese = true;
        }
    }
    const FaceMatch match = namedButNotJapanese ? FaceMatch::NotJapanese : FaceMatch::Missing;
    for (const KnownFace& known : kKnownFaces) {
        if (key != QString::fromUtf8(known.key)) continue;
        if (known.preferred) {
            const QString preferred =
                installedJapanese(QString::fromUtf8(known.preferred), installed);
            if (!preferred.isEmpty()) return {preferred, match};
        }
        return {fallbackFamily(known.kind, installed), match};
    }
    return {fallbackFamily(guessKind(key), installed), match};
}

QString resolveFaceName(const QString& name) {
    return resolveFace(name).family;
}

// The English notes are pobelo-sheet's: in the user's language where it installed its texts.
QString faceNote(const QString& name, const ResolvedFace& face, NoteLanguage language) {
    const bool japanese = language == NoteLanguage::Japanese;
    switch (face.match) {
        case FaceMatch::Named:
            return {};
        case FaceMatch::NotJapanese:
            return (japanese
                        ? QStringLiteral("「%1」は日本語を印刷できないため、「%2」で印刷します")
                        : QCoreApplication::translate("pobelo_notes",
                                                      "%1 cannot print Japanese: printed in %2"))
                .arg(name, face.family);
        case FaceMatch::Missing:
            break;
    }
    return (japanese
                ? QStringLiteral("「%1」がないため、「%2」で印刷します")
                : QCoreApplication::translate("pobelo_notes", "%1 is not installed: printed in %2"))
        .arg(name, face.family);
}

}  // namespace pobelo
