// The installed tree: both programs, and a desktop entry, icon and file type that name each
// other, so that the desktop can open a question file with the window program; the metainfo
// that software centres read; the manual pages and the package's copyright and changelog.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include "mojfile.h"

namespace {

// The keys of the [Desktop Entry] group, localised keys with their "[ja]" suffix.
QMap<QString, QString> desktopEntry(const QString& path) {
    QFile file(path);
    QMap<QString, QString> keys;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return keys;
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith('[')) {
            inGroup = line == QLatin1String("[Desktop Entry]");
        } else if (inGroup && line.contains('=') && !line.startsWith('#')) {
            const qsizetype eq = line.indexOf('=');
            keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
        }
    }
    return keys;
}

struct MimeType {
    QStringList globs;
    QMap<QString, QString> comments;  // by language, "" for the untranslated one
    QStringList parents;
};

// The types a shared-mime-info package file declares, by name.
QMap<QString, MimeType> mimeTypes(const QString& path) {
    QFile file(path);
    QMap<QString, MimeType> types;
    if (!file.open(QIODevice::ReadOnly)) return types;
    QXmlStreamReader xml(&file);
    QString current;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("mime-type")) {
            current = xml.attributes().value("type").toString();
            types[current];
        } else if (xml.name() == QLatin1String("glob")) {
            types[current].globs << xml.attributes().value("pattern").toString();
        } else if (xml.name() == QLatin1String("comment")) {
            const QString lang = xml.attributes().value("xml:lang").toString();
            types[current].comments[lang] = xml.readElementText();
        } else if (xml.name() == QLatin1String("sub-class-of")) {
            types[current].parents << xml.attributes().value("type").toString();
        }
    }
    return xml.hasError() ? QMap<QString, MimeType>{} : types;
}

// The texts of the metainfo elements a desktop looks up, keyed "element" or "element[lang]"; a
// release by its version.
QMultiMap<QString, QString> xmlTexts(const QString& path) {
    QFile file(path);
    QMultiMap<QString, QString> texts;
    if (!file.open(QIODevice::ReadOnly)) return texts;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        QString key = xml.name().toString();
        const QString lang = xml.attributes().value("xml:lang").toString();
        if (!lang.isEmpty()) key += '[' + lang + ']';
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("release")) {
            texts.insert(key, attributes.value("version").toString());
        } else if (QStringList{"id", "summary", "launchable", "icon", "url", "image", "binary",
                               "mediatype", "project_license"}
                       .contains(xml.name().toString())) {
            texts.insert(key, xml.readElementText());
        }
    }
    return xml.hasError() ? QMultiMap<QString, QString>{} : texts;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class InstallTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString root_;  // the installed /usr

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", dir_.filePath("stage"));
        install.setProcessEnvironment(env);
        install.start(QStringLiteral(POBELO_CMAKE),
                      {"--install", QStringLiteral(POBELO_BUILD_DIR), "--prefix", "/usr"});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
        root_ = dir_.filePath("stage/usr");
    }

    void installsBothPrograms() {
        for (const char* program : {"pobelo", "pobelo-sheet"}) {
            const QFileInfo info(root_ + "/bin/" + program);
            QVERIFY2(info.isFile() && info.isExecutable(), program);
        }
    }

    void desktopEntryOpensQuestionFiles() {
        const auto entry = desktopEntry(root_ + "/share/applications/pobelo.desktop");
        QCOMPARE(entry.value("Type"), "Application");
        QCOMPARE(entry.value("Name"), "Pobelo");
        QCOMPARE(entry.value("Name[ja]"), "Pobelo 小テスト作成");
        // One main category, so that the menu lists the program once.
        QCOMPARE(entry.value("Categories"), "Education;");
        // The command is an installed program and takes the one file double-clicked.
        const QStringList exec = entry.value("Exec").split(' ');
        QCOMPARE(exec.size(), 2);
        QVERIFY(QFileInfo::exists(root_ + "/bin/" + exec[0]));
        QCOMPARE(exec[1], "%f");

        // Every type it opens is declared, with the question files' glob and both comments.
        const auto types = mimeTypes(root_ + "/share/mime/packages/pobelo.xml");
        const QStringList opened = entry.value("MimeType").split(';', Qt::SkipEmptyParts);
        // A teacher's own tables are the desktop's standard types, offered but not declared again.
        QCOMPARE(opened, (QStringList{"application/x-orvane-moj", "application/x-pobelo-set",
                                      "text/csv", "text/tab-separated-values"}));
        QVERIFY(!types.contains("text/csv") && !types.contains("text/tab-separated-values"));
        QCOMPARE(types["application/x-pobelo-set"].globs, QStringList{"*.pobelo-set"});
        QVERIFY(types.contains(opened[0]));
        QCOMPARE(types[opened[0]].globs, QStringList{"*.moj"});
        QCOMPARE(types[opened[0]].comments.value(""), "Orvane question file");
        QCOMPARE(types[opened[0]].comments.value("ja"), "Orvane問題ファイル");
        // CP932 files are no text/plain: text editors would show them garbled.
        QCOMPARE(types[opened[0]].parents, QStringList{});
    }

    void metainfoNamesTheInstalledProgram() {
        const QDir dir(root_ + "/share/metainfo");
        const QStringList files = dir.entryList({"*.metainfo.xml"});
        QCOMPARE(files.size(), 1);
        const auto info = xmlTexts(dir.filePath(files[0]));
        QCOMPARE(files[0], info.value("id") + ".metainfo.xml");
        QVERIFY(QFileInfo::exists(root_ + "/share/applications/" + info.value("launchable")));
        QCOMPARE(info.value("icon"),
                 desktopEntry(root_ + "/share/applications/pobelo.desktop")["Icon"]);
        QCOMPARE(info.values("binary"), (QStringList{"pobelo-sheet", "pobelo"}));
        QCOMPARE(info.values("mediatype"),
                 (QStringList{"text/tab-separated-values", "text/csv", "application/x-pobelo-set",
                              "application/x-orvane-moj"}));
        QCOMPARE(info.value("project_license"), "MIT");
        QVERIFY(!info.value("summary[ja]").isEmpty());
        QVERIFY(info.value("image").startsWith(info.value("url")));
        QCOMPARE(info.value("release"), QStringLiteral(POBELO_VERSION));
    }

    void manualAndPackageDocuments() {
        const QByteArray gzipMagic("\x1f\x8b", 2);
        for (const char* page : {"pobelo.1.gz", "pobelo-sheet.1.gz"})
            QVERIFY2(fileBytes(root_ + "/share/man/man1/" + page).startsWith(gzipMagic), page);
        QVERIFY(fileBytes(root_ + "/share/doc/pobelo/changelog.Debian.gz").startsWith(gzipMagic));
        const QString copyright =
            QString::fromUtf8(fileBytes(root_ + "/share/doc/pobelo/copyright"));
        QVERIFY(copyright.startsWith(
            "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));
        QVERIFY(copyright.contains("\nLicense: Expat\n Permission is hereby granted"));
    }

    void iconInEverySize_data() {
        QTest::addColumn<int>("size");
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QTest::newRow(QByteArray::number(size).constData()) << size;
    }

    void iconInEverySize() {
        QFETCH(int, size);
        const QString icon = desktopEntry(root_ + "/share/applications/pobelo.desktop")["Icon"];
        const QImage image(QStringLiteral("%1/share/icons/hicolor/%2x%2/apps/%3.png")
                               .arg(root_)
                               .arg(size)
                               .arg(icon));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        // The white sheet and the red mark are both there.
        bool white = false, red = false;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor c = image.pixelColor(x, y);
                white = white || (c.alpha() == 255 && c.lightness() > 250);
                red = red || (c.alpha() == 255 && c.red() > 180 && c.green() < 80);
            }
        }
        QVERIFY(white);
        QVERIFY(red);
    }

    void scalableIcon() {
        const QString icon = desktopEntry(root_ + "/share/applications/pobelo.desktop")["Icon"];
        QFile file(root_ + "/share/icons/hicolor/scalable/apps/" + icon + ".svg");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name(), QLatin1String("svg"));
        QCOMPARE(xml.attributes().value("viewBox"), QLatin1String("0 0 256 256"));
        while (!xml.atEnd()) xml.readNext();
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    }

    void installedSheetToolRuns() {
        const QString file = dir_.filePath("one.moj");
        QVERIFY(pobelo::test::writeFile(file,
                                        pobelo::test::mojBytes({pobelo::test::numberedRecord(7)})));
        QProcess sheet;
        sheet.start(root_ + "/bin/pobelo-sheet", {file, "--list"});
        QVERIFY(sheet.waitForFinished(60000));
        QCOMPARE(sheet.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(sheet.readAllStandardOutput()), "1\t見出し7\n");

        // Its messages follow the locale, from the translations installed beside it: its own,
        // a reason of the file layer and the note of a face printed in place of another.
        const QString missing = dir_.filePath("missing.moj");
        const QString pdf = dir_.filePath("one.pdf");
        const struct {
            const char* locale;
            QStringList arguments;
            int status;
            const char* message;
        } cases[] = {
            {"ja_JP.UTF-8", {missing, "--list"}, 1, "問題ファイルがありません"},
            {"C.UTF-8", {missing, "--list"}, 1, "no such question file"},
            {"ja_JP.UTF-8", {file, "--right", "1", "-o", dir_.path()}, 1, "フォルダーです"},
            {"C.UTF-8", {file, "--right", "1", "-o", dir_.path()}, 1, "it is a folder"},
            {"ja_JP.UTF-8",
             {file, "--right", "1", "--font", "無い書体", "-o", pdf},
             0,
             "「無い書体」がないため、「"},
            {"C.UTF-8",
             {file, "--right", "1", "--font", "無い書体", "-o", pdf},
             0,
             "無い書体 is not installed: printed in "},
        };
        for (const auto& c : cases) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) env.remove(name);
            env.insert("LANG", c.locale);
            sheet.setProcessEnvironment(env);
            sheet.start(root_ + "/bin/pobelo-sheet", c.arguments);
            QVERIFY(sheet.waitForFinished(60000));
            const QString said = QString::fromUtf8(sheet.readAllStandardError());
            QVERIFY2(sheet.exitCode() == c.status, qPrintable(said));
            QVERIFY2(said.contains(QString::fromUtf8(c.message)), qPrintable(said));
        }
    }
};

QTEST_MAIN(InstallTest)
#include "test_install.moc"
