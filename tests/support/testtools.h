#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace pobelo::test {

// The whole content of a file; empty when it cannot be read. The byte form takes the name as the
// system spells it, for names that are not UTF-8.
QByteArray readAll(const QByteArray& localPath);
QByteArray readAll(const QString& path);

// What program writes on its standard output; empty when it could not run or failed.
QString runTool(const QString& program, const QStringList& args);

// Each page's size in whole points, "842x595" for A4 landscape, as poppler's pdfinfo reads it.
QStringList pageSizes(const QString& pdf);

// --- Print traces: one JSON object a line, {"op":"printText","text":"漢"} ------------------

struct TraceOp {
    QString op;
    QJsonObject fields;
};
QList<TraceOp> parseTrace(const QStringList& lines);
// The lines of each print job, the one that ends it ("endDoc") included.
QList<QStringList> traceJobs(const QStringList& lines);
// The texts printed in each job, run together, one string a job.
QStringList jobTexts(const QStringList& lines);
// The lines of a trace file.
QStringList traceFileLines(const QString& path);

}  // namespace pobelo::test
