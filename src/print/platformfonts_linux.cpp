#include <fontconfig/fontconfig.h>
#include <hb.h>

#include <QFontDatabase>
#include <QHash>
#include <QRawFont>

#include "platformfonts.h"

namespace pobelo {

namespace {

bool coversKanaAndKanji(FcCharSet* chars) {
    static constexpr FcChar32 probes[] = {U'あ', U'ア', U'ー', U'、', U'一', U'漢', U'字'};
    for (const FcChar32 c : probes) {
        if (!FcCharSetHasChar(chars, c)) return false;
    }
    return true;
}

// Whether face holds the same font as font, judged by the tables that set a font apart (its
// header with the file's checksum, metrics headers, glyph count, and OS/2 widths and names).
bool sameFont(hb_face_t* face, const QRawFont& font) {
    for (const char* tag : {"head", "hhea", "maxp", "OS/2"}) {
        hb_blob_t* blob = hb_face_reference_table(face, hb_tag_from_string(tag, 4));
        unsigned length = 0;
        const char* data = hb_blob_get_data(blob, &length);
        const QByteArray table = font.fontTable(tag);
        const bool same = !table.isEmpty() && QByteArrayView(data, length) == table;
        hb_blob_destroy(blob);
        if (!same) return false;
    }
    return true;
}

}  // namespace

// Qt's fonts on Linux are fontconfig's and FreeType's already.
void chooseFontEngine() {}

QList<InstalledFamily> listInstalledFamilies() {
    QList<InstalledFamily> families;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_CHARSET, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    if (!set) return families;

    const QStringList known = QFontDatabase::families();
    QHash<QString, qsizetype> index;
    for (int i = 0; i < set->nfont; ++i) {
        FcPattern* font = set->fonts[i];
        FcChar8* value = nullptr;
        if (FcPatternGetString(font, FC_FAMILY, 0, &value) != FcResultMatch) continue;
        const QString family = QString::fromUtf8(reinterpret_cast<const char*>(value));
        if (family.isEmpty() || family.startsWith(u'@') || !known.contains(family)) continue;
        auto it = index.constFind(family);
        if (it == index.constEnd()) {
            it = index.insert(family, families.size());
            families.append(InstalledFamily{family, family, {family}, false});
        }
        InstalledFamily& entry = families[*it];
        for (int k = 0; FcPatternGetString(font, FC_FAMILY, k, &value) == FcResultMatch; ++k) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char*>(value));
            if (!entry.names.contains(name)) entry.names.append(name);
            FcChar8* lang = nullptr;
            if (FcPatternGetString(font, FC_FAMILYLANG, k, &lang) == FcResultMatch &&
                qstrcmp(reinterpret_cast<const char*>(lang), "ja") == 0 &&
                entry.japaneseName == entry.family)
                entry.japaneseName = name;
        }
        FcCharSet* chars = nullptr;
        if (FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) == FcResultMatch &&
            coversKanaAndKanji(chars))
            entry.writesJapanese = true;
    }
    FcFontSetDestroy(set);
    return families;
}

// The vertical origins need the whole glyph table, and read through QRawFont every table is
// copied (megabytes for a Japanese font): HarfBuzz maps the file instead.
hb_face_t* faceFromFontFile(const QRawFont& raw) {
    FcPattern* pattern = FcPatternCreate();
    const QByteArray family = raw.familyName().toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        raw.weight() >= QFont::Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT,
                        raw.style() == QFont::StyleNormal ? FC_SLANT_ROMAN : FC_SLANT_ITALIC);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    hb_face_t* face = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (hb_blob_t* blob = hb_blob_create_from_file_or_fail(reinterpret_cast<char*>(file))) {
            face = hb_face_create(blob, unsigned(index));
            hb_blob_destroy(blob);
        }
    }
    if (match) FcPatternDestroy(match);
    if (face && !sameFont(face, raw)) {
        hb_face_destroy(face);
        face = nullptr;
    }
    return face;
}

}  // namespace pobelo
