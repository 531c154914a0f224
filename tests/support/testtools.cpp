#include "testtools.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>

namespace pobelo::test {

QByteArray readAll(const QByteArray& localPath) {
    QByteArray bytes;
    FILE* f = std::fopen(localPath.constData(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

QByteArray readAll(const QString& path) {
#ifdef Q_OS_WIN
    // fopen takes the ANSI code page, which cannot hold every name (自分の問題.csv on a Western
    // system): Qt opens the file by its UTF-16 name. A name from the test data's Unix folder
    // (POBELO_TEST_DATA under wine) is one only the C library opens.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) return file.readAll();
    return readAll(QFile::encodeName(path));
#else
    return readAll(QFile::encodeName(path));
#endif
}

QString runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList pageSizes(const QString& pdf) {
    const QString info =
        runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("999"), pdf});
    if (info.isEmpty()) return {QStringLiteral("unreadable")};
    static const QRegularExpression size(
        QStringLiteral(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)"));
    QStringList sizes;
    for (auto it = size.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        sizes.append(QStringLiteral("%1x%2")
                         .arg(qRound(m.captured(1).toDouble()))
                         .arg(qRound(m.captured(2).toDouble())));
    }
    return sizes;
}

QList<TraceOp> parseTrace(const QStringList& lines) {
    QList<TraceOp> ops;
    for (const QString& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        ops.append(TraceOp{o.value(QStringLiteral("op")).toString(), o});
    }
    return ops;
}

QList<QStringList> traceJobs(const QStringList& lines) {
    QList<QStringList> jobs{{}};
    for (const QString& line : lines) {
        jobs.last() << line;
        if (line.contains(QLatin1String("\"op\":\"endDoc\""))) jobs.append(QStringList{});
    }
    jobs.removeLast();
    return jobs;
}

QStringList jobTexts(const QStringList& lines) {
    QStringList texts;
    for (const QStringList& job : traceJobs(lines)) {
        QString text;
        for (const TraceOp& op : parseTrace(job)) {
            if (op.op == QLatin1String("printText"))
                text += op.fields.value(QStringLiteral("text")).toString();
        }
        texts << text;
    }
    return texts;
}

QStringList traceFileLines(const QString& path) {
    return QString::fromUtf8(readAll(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace pobelo::test
