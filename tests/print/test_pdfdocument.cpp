// A PDF file says what it is (title, subject, creator) and appears whole or not at all: on a full
// disk, onto a pipe or a device, onto an input or into a missing folder the old file stays, no
// temporary file is left, and the reason is told.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

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
#include "preflight.h"
#include "testtools.h"

using namespace pobelo;
using pobelo::test::readAll;

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

// The value of /name in the information dictionary the last trailer points at, decoded, found
// by following the byte offsets of the last cross-reference section as a PDF reader does.
QString infoEntry(const QByteArray& pdf, const QByteArray& name) {
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    const qint64 xref = pdf.mid(startxref + 9).replace("%%EOF", "").trimmed().toLongLong();
    if (!pdf.mid(xref).startsWith("xref")) return QStringLiteral("(no xref at startxref)");
    const QString trailer = QString::fromLatin1(pdf.mid(startxref - 200, 200));
    const auto match = QRegularExpression(QStringLiteral("/Info (\\d+) 0 R")).match(trailer);
    if (!match.hasMatch()) return QStringLiteral("(no /Info)");
    const QByteArray number = match.captured(1).toLatin1();
    // The section: "xref\nN 1\nOFFSET 00000 n \n", which must name the dictionary's object.
    const QList<QByteArray> lines = pdf.mid(xref, 64).split('\n');
    if (lines.size() < 3 || lines[1] != number + " 1") return QStringLiteral("(info not updated)");
    const qint64 offset = lines[2].left(10).toLongLong();
    if (!pdf.mid(offset).startsWith(number + " 0 obj")) return QStringLiteral("(bad offset)");
    const QByteArray object = pdf.mid(offset, pdf.indexOf("endobj", offset) - offset);
    const qsizetype at = object.indexOf('/' + name + ' ');
    if (at < 0) return QString();
    const QByteArray value = object.mid(at + name.size() + 2).split('\n').first();
    if (value.startsWith("<FEFF")) {
        const QByteArray utf16 = QByteArray::fromHex(value.mid(5, value.size() - 6));
        QString text;
        for (qsizetype i = 0; i + 1 < utf16.size(); i += 2)
            text += QChar(char16_t((uchar(utf16[i]) << 8) | uchar(utf16[i + 1])));
        return text;
    }
    // A literal string: its brackets and backslashes are escaped with a backslash.
    return QString::fromLatin1(value.mid(1, value.size() - 2))
        .replace(QRegularExpression(QStringLiteral("\\\\(.)")), QStringLiteral("\\1"));
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

    void describedDocument_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("subject");
        QTest::newRow("Japanese") << "小テスト 1 / 小テスト 2"
                                  << "3年 漢字の読み 1 / 3年 漢字の書き 1";
        QTest::newRow("brackets in plain text") << "test (1) \\ a"
                                                << "a)b(c";
    }
    void describedDocument() {
        QFETCH(QString, title);
        QFETCH(QString, subject);
        const QString path = dir_.filePath(QStringLiteral("described.pdf"));
        PdfDocument document(path);
        QVERIFY(document.open());
        document.describe(title, subject);
        {
            QPainter painter(document.writer());
            painter.drawText(100, 100, QStringLiteral("漢字"));
        }
        QVERIFY2(document.commit(), qPrintable(document.errorString()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QCOMPARE(infoEntry(pdf, "Title"), title);
        QCOMPARE(infoEntry(pdf, "Subject"), subject);
        QVERIFY(infoEntry(pdf, "Creator").startsWith(QStringLiteral("Pobelo ")));
        // The update chains to the document's own cross-reference section.
        const auto previous = QRegularExpression(QStringLiteral("/Prev (\\d+)"))
                                  .match(QString::fromLatin1(pdf.right(300)));
        QVERIFY(previous.hasMatch());
        QVERIFY(pdf.mid(previous.captured(1).toLongLong()).startsWith("xref"));
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
        SheetContent sheet;
        sheet.fontName = font;
        sheet.right.title = QStringLiteral("漢字ミニテスト 1");
        sheet.right.check = 1;
        const QStringList texts{"先生に𠮟られる。", "ﾗｰﾒﾝを食べる。", "ｶﾞｯｺｳ(学校)",
                                "NHKで見る。",      "12月に雪。",     "ちょっと待ってね〜。"};
        for (int i = 0; i < texts.size(); ++i) {
            sheet.right.sentences[i] = texts[i];
            sheet.right.askedParts[i] = texts[i].left(2);
            sheet.right.answers[i] = texts[(i + 1) % texts.size()].left(4);
        }
        auto print = [&](PainterSurface& surface) {
            drawSheet(sheet, naturalFit(), surface);
            surface.endDoc();
            surface.setDevice(nullptr);
        };
        const QString plain = dir_.filePath(QStringLiteral("plain.pdf"));
        {
            QPdfWriter writer(plain);
            writer.setResolution(1200);
            PainterSurface surface(&writer);
            print(surface);
        }
        const QString layered = dir_.filePath(QStringLiteral("layered.pdf"));
        PdfDocument document(layered);
        QVERIFY(document.open());
        {
            PainterSurface surface(document.writer());
            print(surface);
        }
        QVERIFY2(document.commit(), qPrintable(document.errorString()));
        const QByteArray bytes = readAll(layered.toLocal8Bit());
        QVERIFY(QRegularExpression(QStringLiteral("/BaseFont /[A-Z]{6}\\+IPAexMincho"))
                    .match(QString::fromLatin1(bytes))
                    .hasMatch());

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
        auto text = [](const QString& pdf) {
            QProcess p;
            p.start(QStringLiteral("pdftotext"), {"-raw", pdf, "-"});
            return p.waitForFinished(60000) ? QString::fromUtf8(p.readAllStandardOutput())
                                            : QString();
        };
        QVERIFY(text(layered).contains(QStringLiteral("⑥ちょっと待ってね〜。\n")));
        QVERIFY(!text(plain).contains(QStringLiteral("ちょっと")));
    }

    void documentWithoutATrailerIsLeftAlone() {
        const QByteArray notPdf("%PDF-1.4\nno trailer here\n");
        QVERIFY(pdfInfoUpdate(notPdf, notPdf.size(), {{"Subject", QStringLiteral("x")}}).isEmpty());
    }
};

QTEST_MAIN(PdfDocumentTest)
#include "test_pdfdocument.moc"
