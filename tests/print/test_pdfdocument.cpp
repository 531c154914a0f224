// A PDF file says what it is (title, subject, creator) and appears whole or not at all: on a full
// disk, onto a pipe or a device, onto an input or into a missing folder the old file stays, no
// temporary file is left, and the reason is told. Its text layer and information dictionary are
// written in the one pass of the document, which reads back as a PDF reader reads it.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "filesystem.h"
#include "localfile.h"
#include "paintersurface.h"
#include "pdfdocument.h"
#include "pdffile.h"
#include "pdfrewriter.h"
#include "preflight.h"
#include "testtools.h"

using namespace pobelo;
using pobelo::test::readAll;
using pobelo::test::runTool;

namespace {

const QByteArray kEarlier("an earlier sheet");

bool writeBytes(const QByteArray& path, const QByteArray& bytes) {
    FILE* f = std::fopen(path.constData(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.constData(), 1, bytes.size(), f) == size_t(bytes.size());
    return std::fclose(f) == 0 && ok;
}

// A page that does not compress: some 90 KiB of noise.
bool drawPage(PdfDocument& document) {
    QImage noise(200, 150, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, random.generate());
    QPainter painter;
    if (!painter.begin(document.writer())) return false;
    painter.drawImage(QRect(0, 0, 4000, 3000), noise);
    return painter.end();
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// A sheet of texts that Qt's writer maps back wrongly: kanji whose glyphs Kangxi radicals share
// (小, 目, 行), and in the vertical layout the stops drawn in their vertical forms.
SheetContent sheetOfSharedGlyphs(const QString& font) {
    SheetContent sheet;
    sheet.fontName = font;
    sheet.right.title = QStringLiteral("漢字ミニテスト 1");
    sheet.right.check = 1;
    const QStringList texts{"先生に𠮟られる。", "ﾗｰﾒﾝを食べる。",   "ｶﾞｯｺｳ(学校)",
                            "NHKで見る。",      "小さな目で行く、", "ちょっと待ってね〜。"};
    for (int i = 0; i < texts.size(); ++i) {
        sheet.right.sentences[i] = texts[i];
        sheet.right.askedParts[i] = texts[i].left(2);
        sheet.right.answers[i] = texts[(i + 1) % texts.size()].left(4);
    }
    return sheet;
}

void printOn(PainterSurface& surface, const SheetContent& sheet) {
    drawSheet(sheet, naturalFit(), surface);
    surface.endDoc();
    surface.setDevice(nullptr);
}

// Every character the ToUnicode maps of the document's fonts give.
QString mappedCharacters(const QByteArray& pdf) {
    const test::PdfFile file(pdf);
    QString characters;
    for (int font : file.objectsWith("/Subtype /Type0")) {
        const auto cmap =
            file.streamData(test::PdfFile::reference(file.dictionary(font), "/ToUnicode"));
        if (cmap) characters += test::toUnicodeTargets(*cmap);
    }
    return characters;
}

// A document laid out as Qt's writer lays one out (its cross-reference table is left to the
// writer of the file, and not read): an information dictionary, a catalog and a stream whose
// length stands in an object of its own, written after the stream.
QByteArray writerOutput(const QByteArray& streamData) {
    return "%PDF-1.4\n%\xe2\xe3\n1 0 obj\n<<\n/Title (old \\) title)\n/Producer (Qt)\n"
           "/CreationDate (D:20200101000000Z)\n>>\nendobj\n2 0 obj\n<<\n/Type /Catalog\n/Pages 3 0 "
           "R\n"
           ">>\nendobj\n4 0 obj\n<<\n/Length 5 0 R\n>>\nstream\n" +
           streamData + "\nendstream\nendobj\n5 0 obj\n" + QByteArray::number(streamData.size()) +
           "\nendobj\n3 0 obj\n<<\n/Type /Pages\n/Kids [ ]\n/Count 0\n>>\nendobj\nxref\n0 6\n"
           "0000000000 65535 f \n0000000001 00000 n \ntrailer\n<<\n/Size 6 \n/Info 1 0 R\n"
           "/Root 2 0 R\n>>\nstartxref\n1 \n%%EOF\n";
}

}  // namespace

class PdfDocumentTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

  private slots:
    void targets_data() {
        QTest::addColumn<QString>("target");  // kind of target, made by the test
        QTest::addColumn<int>("problem");     // PdfDocument::Problem expected; None: written
        QTest::addColumn<QString>("reason");  // in errorString()
        using P = PdfDocument::Problem;
        QTest::newRow("new file") << "new" << int(P::None) << QString();
        QTest::newRow("earlier file") << "earlier" << int(P::None) << QString();
        QTest::newRow("CP932 bytes in the name") << "cp932" << int(P::None) << QString();
        QTest::newRow("link to an earlier file") << "link" << int(P::None) << QString();
        QTest::newRow("missing folder") << "nofolder" << int(P::System) << "No such file";
        QTest::newRow("folder") << "folder" << int(P::NotRegular) << "folder";
        QTest::newRow("pipe") << "fifo" << int(P::NotRegular) << "not a regular file";
        QTest::newRow("device") << "/dev/full" << int(P::NotRegular) << "not a regular file";
        QTest::newRow("the question file") << "input" << int(P::IsInput) << "question file";
        QTest::newRow("link to the question file")
            << "inputlink" << int(P::IsInput) << "question file";
        QTest::newRow("full disk, nothing free") << "full0" << int(P::System) << "No space";
        QTest::newRow("full disk, 8 KiB free") << "full8" << int(P::System) << "No space";
    }

    void targets() {
        QFETCH(QString, target);
        QFETCH(int, problem);
        QFETCH(QString, reason);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        QString folder = work.path();
        const QByteArray base = QFile::encodeName(folder) + '/';
        const QString question = work.filePath(QStringLiteral("q.moj"));
        QVERIFY(writeBytes(QFile::encodeName(question), "question"));
        QByteArray name = base + "sheet.pdf";
        bool earlier = true;
        struct stat device {};
        if (target == "new") {
            earlier = false;
        } else if (target == "cp932") {
            name = base + "\x8a\xbf\x8e\x9a.pdf";  // 漢字.pdf as a Windows share names it
        } else if (target == "link") {
            QVERIFY(writeBytes(base + "real.pdf", kEarlier));
            QCOMPARE(::symlink("real.pdf", name.constData()), 0);
        } else if (target == "nofolder") {
            name = base + "none/sheet.pdf";
            earlier = false;
        } else if (target == "folder") {
            QCOMPARE(::mkdir(name.constData(), 0700), 0);
            earlier = false;
        } else if (target == "fifo") {
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
            earlier = false;
        } else if (target.startsWith('/')) {
            name = QFile::encodeName(target);
            folder = QStringLiteral("/dev");
            QCOMPARE(::stat(name.constData(), &device), 0);
            earlier = false;
        } else if (target == "input") {
            name = QFile::encodeName(question);
            earlier = false;
        } else if (target == "inputlink") {
            QCOMPARE(::link(QFile::encodeName(question).constData(), name.constData()), 0);
            earlier = false;
        } else if (target.startsWith("full")) {
            if (::geteuid() != 0 || ::mount("tmpfs", base.constData(), "tmpfs", 0, "size=40k") != 0)
                QSKIP("a small tmpfs cannot be mounted here (needs root)");
        }
        const auto unmount = qScopeGuard([&] {
            if (target.startsWith("full")) ::umount(base.constData());
            if (target == "cp932") ::unlink(name.constData());  // QTemporaryDir cannot name it
        });
        if (earlier && target != "link") QVERIFY(writeBytes(name, kEarlier));
        // Fills the disk to leave the given room.
        if (target.startsWith("full"))
            writeBytes(base + "pad", QByteArray((40 - target.mid(4).toInt()) * 1024, 'x'));
        const QStringList before = entries(folder);

        forgetReadFiles();
        registerReadFile(question, QStringLiteral("the question file"));
        PdfDocument document(localPathFromBytes(name));
        const bool written = document.open() && drawPage(document) && document.commit();
        const QStringList after = entries(folder);

        QCOMPARE(int(document.problem()), problem);
        QCOMPARE(written, problem == int(PdfDocument::Problem::None));
        QVERIFY2(document.errorString().contains(reason), qPrintable(document.errorString()));
        if (written) {
            QVERIFY(readAll(name).startsWith("%PDF-"));
            QVERIFY(readAll(name).trimmed().endsWith("%%EOF"));
        } else if (earlier) {
            QCOMPARE(readAll(name), kEarlier);
        }
        // No temporary file is left; a new file appears only where one was written.
        if (written && !earlier)
            QCOMPARE(after.size(), before.size() + 1);
        else
            QCOMPARE(after, before);
        if (!target.startsWith("full"))
            QCOMPARE(readAll(QFile::encodeName(question)), QByteArray("question"));
        if (target == "link") {
            QCOMPARE(QFileInfo(QString::fromUtf8(name)).symLinkTarget(),
                     work.filePath(QStringLiteral("real.pdf")));
        }
        struct stat now {};
        if (target == "fifo") QVERIFY(::stat(name.constData(), &now) == 0 && S_ISFIFO(now.st_mode));
        if (target.startsWith('/')) {
            QCOMPARE(::stat(name.constData(), &now), 0);
            QVERIFY(S_ISCHR(now.st_mode) && now.st_rdev == device.st_rdev);
        }
    }

    // The information dictionary is written once, at the end of the one pass: no update is
    // appended. Its dates are SOURCE_DATE_EPOCH's where that is set, and then the same document
    // comes out byte for byte.
    void describedDocument_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QByteArray>("epoch");  // SOURCE_DATE_EPOCH; null: not set
        QTest::addColumn<QString>("date");      // expected; empty: the time of writing
        QTest::newRow("Japanese") << "小テスト 1 / 小テスト 2"
                                  << "3年 漢字の読み 1 / 3年 漢字の書き 1" << QByteArray() << "";
        QTest::newRow("brackets in plain text") << "test (1) \\ a"
                                                << "a)b(c" << QByteArray() << "";
        QTest::newRow("SOURCE_DATE_EPOCH")
            << "t"
            << "s" << QByteArray("1700000000") << "D:20231114221320Z";
        QTest::newRow("SOURCE_DATE_EPOCH 0") << "t"
                                             << "s" << QByteArray("0") << "D:19700101000000Z";
        QTest::newRow("SOURCE_DATE_EPOCH not a number") << "t"
                                                        << "s" << QByteArray("yesterday") << "";
    }
    void describedDocument() {
        QFETCH(QString, title);
        QFETCH(QString, subject);
        QFETCH(QByteArray, epoch);
        QFETCH(QString, date);
        if (epoch.isNull())
            qunsetenv("SOURCE_DATE_EPOCH");
        else
            qputenv("SOURCE_DATE_EPOCH", epoch);
        const auto unset = qScopeGuard([] { qunsetenv("SOURCE_DATE_EPOCH"); });
        auto write = [&](const QString& name) {
            const QString path = dir_.filePath(name);
            PdfDocument document(path);
            if (!document.open()) return QByteArray();
            {
                QPainter painter(document.writer());
                painter.drawText(100, 100, QStringLiteral("漢字"));
            }
            // Described after the page was drawn, as the window describes a print.
            document.describe(title, subject);
            return document.commit() ? readAll(path.toLocal8Bit()) : QByteArray();
        };
        const QByteArray pdf = write(QStringLiteral("described.pdf"));
        QVERIFY(!pdf.isEmpty());
        const test::PdfFile file(pdf);
        QVERIFY(file.ok());
        QCOMPARE(pdf.count("%%EOF"), 1);
        QCOMPARE(pdf.count("\nxref\n"), 1);
        QCOMPARE(file.info("Title"), title);
        QCOMPARE(file.info("Subject"), subject);
        QVERIFY(file.info("Creator").value_or(QString()).startsWith(QStringLiteral("Pobelo ")));
        QCOMPARE(file.info("Producer"), QStringLiteral("Qt ") + QLatin1String(qVersion()));
        const QString created = file.info("CreationDate").value_or(QString());
        QCOMPARE(file.info("ModDate"), created);
        if (!date.isEmpty()) {
            QCOMPARE(created, date);
            QCOMPARE(write(QStringLiteral("again.pdf")), pdf);
        } else {
            QDateTime written = QDateTime::fromString(created, "'D:'yyyyMMddHHmmss'Z'");
            written.setTimeSpec(Qt::UTC);
            QVERIFY2(std::abs(written.secsTo(QDateTime::currentDateTimeUtc())) < 600,
                     qPrintable(created));
        }
        // The document names itself by its bytes.
        QVERIFY(QRegularExpression(QStringLiteral("/ID \\[<[0-9A-F]{32}> <[0-9A-F]{32}>\\]"))
                    .match(QString::fromLatin1(file.trailer()))
                    .hasMatch());
    }

    // The text layer changes what is read from the file, never what is seen: the sheet drawn
    // into a document renders as it does drawn on a plain PDF writer, and its fonts are tagged.
    void textLayerLeavesThePixels_data() {
        QTest::addColumn<QString>("font");
        QTest::newRow("vertical") << "@IPAexMincho";
        QTest::newRow("upright") << "IPAexMincho";
    }
    void textLayerLeavesThePixels() {
        QFETCH(QString, font);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("poppler's pdftoppm is needed to render the pages");
        const SheetContent sheet = sheetOfSharedGlyphs(font);
        const QString plain = dir_.filePath(QStringLiteral("plain.pdf"));
        {
            QPdfWriter writer(plain);
            writer.setResolution(1200);
            PainterSurface surface(&writer);
            printOn(surface, sheet);
        }
        const QString layered = dir_.filePath(QStringLiteral("layered.pdf"));
        PdfDocument document(layered);
        QVERIFY(document.open());
        {
            PainterSurface surface(document.writer());
            printOn(surface, sheet);
        }
        QVERIFY2(document.commit(), qPrintable(document.errorString()));
        const QByteArray bytes = readAll(layered.toLocal8Bit());
        QVERIFY(QRegularExpression(QStringLiteral("/BaseFont /[A-Z]{6}\\+IPAexMincho"))
                    .match(QString::fromLatin1(bytes))
                    .hasMatch());
        QVERIFY(test::PdfFile(bytes).ok());
        if (!QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty()) {
            QProcess check;
            check.start(QStringLiteral("qpdf"), {"--check", layered});
            QVERIFY(check.waitForFinished(60000));
            QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        }

        auto render = [](const QString& pdf) {
            const QString prefix = pdf + QStringLiteral(".page");
            QProcess p;
            p.start(QStringLiteral("pdftoppm"), {"-r", "300", "-png", "-singlefile", pdf, prefix});
            return p.waitForFinished(60000) && p.exitCode() == 0 ? QImage(prefix + ".png")
                                                                 : QImage();
        };
        const QImage seen = render(layered);
        QVERIFY(!seen.isNull());
        QVERIFY(seen == render(plain));
        const QString text = runTool(QStringLiteral("pdftotext"), {"-raw", layered, "-"});
        QVERIFY2(text.contains(QStringLiteral("①先生に𠮟られる。\n")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("⑤小さな目で行く、\n")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("⑥ちょっと待ってね〜。\n")));
        QVERIFY(!runTool(QStringLiteral("pdftotext"), {"-raw", plain, "-"})
                     .contains(QStringLiteral("ちょっと")));
    }

    // The ToUnicode maps, read by whatever ignores /ActualText, give the characters the glyphs
    // stand for: Qt's writer maps a glyph that a Kangxi radical shares to the radical, and a
    // vertical form to its presentation form.
    void toUnicodeMapsGivePlainCharacters_data() {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QString>("plain");   // in the document's maps
        QTest::addColumn<QString>("shared");  // in the maps Qt's writer wrote for them
        QTest::newRow("vertical") << "@IPAexMincho"
                                  << "小目行。、"
                                  << "⼩⽬⾏︒︑";
        QTest::newRow("upright") << "IPAexMincho"
                                 << "小目行。、"
                                 << "⼩⽬⾏";
    }
    void toUnicodeMapsGivePlainCharacters() {
        QFETCH(QString, font);
        QFETCH(QString, plain);
        QFETCH(QString, shared);
        const SheetContent sheet = sheetOfSharedGlyphs(font);
        QBuffer qts;
        qts.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&qts);
            writer.setResolution(1200);
            PainterSurface surface(&writer);
            printOn(surface, sheet);
        }
        const QString path = dir_.filePath(QStringLiteral("maps.pdf"));
        PdfDocument document(path);
        QVERIFY(document.open());
        {
            PainterSurface surface(document.writer());
            printOn(surface, sheet);
        }
        QVERIFY2(document.commit(), qPrintable(document.errorString()));

        // Qt's own maps, as they were before the document was written.
        const QString before = mappedCharacters(qts.data());
        for (const QChar c : shared) QVERIFY2(before.contains(c), qPrintable(QString(c)));
        const QString after = mappedCharacters(readAll(path.toLocal8Bit()));
        QCOMPARE(after.size(), before.size());  // each code keeps its place
        for (const QChar c : plain) QVERIFY2(after.contains(c), qPrintable(QString(c)));
        for (const QChar c : after) {
            const char16_t u = c.unicode();
            QVERIFY2(!(u >= 0x2F00 && u <= 0x2FDF) && !(u >= 0xFE10 && u <= 0xFE19) &&
                         !(u >= 0xFE30 && u <= 0xFE4F),
                     qPrintable(QStringLiteral("U+%1").arg(int(u), 4, 16, QChar('0'))));
        }
    }

    // What the writer writes reaches the file, however it cuts it into writes, with what the
    // document is in its last information dictionary; what is not laid out as the writer lays
    // out a document, or does not end, is refused.
    void rewriterTakesTheWritersOutput_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("stream");  // of object 4, as read back
        QTest::addColumn<QString>("refusal");    // empty: the document is written
        const QByteArray data("plain data");
        QTest::newRow("a stream") << writerOutput(data) << data << "";
        // A font file's bytes may hold what ends a stream, not with the length of the data.
        const QByteArray tricky("bytes\nendstream\nendobj\n5 0 obj\n99\nendobj\n and more");
        QTest::newRow("a stream holding the words that end one")
            << writerOutput(tricky) << tricky << "";
        QTest::newRow("no trailer") << writerOutput(data).left(writerOutput(data).indexOf("xref"))
                                    << QByteArray() << "did not end";
        QTest::newRow("no object")
            << QByteArray("%PDF-1.4\nnot an object 1 0 obj\n") << QByteArray() << "not understood";
        QTest::newRow("nothing written") << QByteArray() << QByteArray() << "";
    }
    void rewriterTakesTheWritersOutput() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, stream);
        QFETCH(QString, refusal);
        QByteArray first;
        for (const int chunk : {1, 7, 100000}) {
            QBuffer file;
            file.open(QIODevice::WriteOnly);
            PdfRewriter rewriter(file);
            for (qsizetype at = 0; at < input.size(); at += chunk)
                rewriter.write(input.mid(at, chunk));
            QString reason;
            const bool written = rewriter.finish({{"Title", QStringLiteral("new title")}}, &reason);
            QCOMPARE(written, refusal.isEmpty());
            QVERIFY2(reason.contains(refusal), qPrintable(reason));
            if (!written) continue;
            if (first.isNull()) first = file.data();
            QCOMPARE(file.data(), first);
            if (input.isEmpty()) {
                QCOMPARE(file.data(), QByteArray());
                continue;
            }
            const test::PdfFile pdf(file.data());
            QVERIFY(pdf.ok());
            QCOMPARE(pdf.streamData(4), stream);
            QCOMPARE(pdf.info("Title"), QStringLiteral("new title"));
            QCOMPARE(pdf.info("Producer"), std::nullopt);
            QCOMPARE(test::PdfFile::reference(pdf.trailer(), "/Root"), 2);
        }
    }
};

QTEST_MAIN(PdfDocumentTest)
#include "test_pdfdocument.moc"
