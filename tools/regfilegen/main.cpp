// Builds the per-language registry files of the factory settings from one template of the
// tree and one text file per language.
//
//   regfilegen TEMPLATE TEXTS_FOLDER OUTPUT_FOLDER CODE...
//
// In the template, {{CODE}} stands for the language code and {{KEY}} for the text KEY of the
// language, taken from TEXTS_FOLDER/CODE.txt or, where that has none, from EN.txt. Lines that
// start with ";;" are notes for whoever edits the template and are left out.
//
// A text file holds "KEY = text" lines in UTF-8; blank lines and lines starting with "#" are
// skipped. Every key of a language must also be in EN.txt, and every key of EN.txt must be
// used by the template, so that a typo stops the build instead of shipping an English text.
//
// The files are written the way the registry editor writes them: UTF-16LE with its byte
// order mark and CRLF line ends, which `reg import` reads right whatever the code page.

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

using Texts = QHash<QString, QString>;

void fail(const QString &message)
{
    std::fprintf(stderr, "regfilegen: %s\n", qPrintable(message));
    std::exit(1);
}

QString readUtf8(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path + QStringLiteral(": cannot read"));
    return QString::fromUtf8(file.readAll());
}

Texts readTexts(const QString &path)
{
    Texts texts;
    const QStringList lines = readUtf8(path).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const QString key = line.left(equals).trimmed();
        if (equals < 1 || key.contains(u' '))
            fail(QStringLiteral("%1:%2: expected KEY = text").arg(path).arg(i + 1));
        if (texts.contains(key))
            fail(QStringLiteral("%1:%2: %3 given twice").arg(path).arg(i + 1).arg(key));
        texts.insert(key, line.mid(equals + 1).trimmed());
    }
    return texts;
}

// A text goes between the double quotes of a REG_SZ value.
QString escaped(QString text)
{
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'"', QStringLiteral("\\\""));
    return text;
}

QString fillIn(const QString &templateText, const QString &templatePath, const QString &code,
               const Texts &english, const Texts &own, QSet<QString> *used)
{
    static const QRegularExpression placeholder(QStringLiteral("\\{\\{([A-Z0-9_]+)\\}\\}"));
    QString out;
    const QStringList lines = templateText.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(QStringLiteral(";;")))
            continue;
        QString filled;
        qsizetype from = 0;
        for (const QRegularExpressionMatch &match : placeholder.globalMatch(line)) {
            const QString key = match.captured(1);
            filled += line.mid(from, match.capturedStart() - from);
            if (key == QLatin1String("CODE")) {
                filled += code;
            } else if (english.contains(key)) {
                filled += escaped(own.value(key, english.value(key)));
                used->insert(key);
            } else {
                fail(QStringLiteral("%1:%2: no text %3 in EN.txt").arg(templatePath).arg(i + 1).arg(key));
            }
            from = match.capturedEnd();
        }
        filled += line.mid(from);
        if (i + 1 < lines.size() || !filled.isEmpty())
            out += filled + QStringLiteral("\r\n");
    }
    return out;
}

void writeUtf16(const QString &path, const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        fail(path + QStringLiteral(": cannot write"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5)
        fail(QStringLiteral("usage: regfilegen TEMPLATE TEXTS_FOLDER OUTPUT_FOLDER CODE..."));
    const QString templatePath = args.at(1);
    const QString textsFolder = args.at(2);
    const QString outputFolder = args.at(3);

    const QString templateText = readUtf8(templatePath);
    const Texts english = readTexts(textsFolder + QStringLiteral("/EN.txt"));
    QSet<QString> used;
    for (const QString &code : args.mid(4)) {
        const QString ownPath = textsFolder + u'/' + code + QStringLiteral(".txt");
        const Texts own = QFile::exists(ownPath) ? readTexts(ownPath) : Texts();
        for (auto it = own.cbegin(); it != own.cend(); ++it) {
            if (!english.contains(it.key()))
                fail(ownPath + QStringLiteral(": %1 is not in EN.txt").arg(it.key()));
        }
        writeUtf16(outputFolder + u'/' + code + QStringLiteral(".reg"),
                   fillIn(templateText, templatePath, code, english, own, &used));
    }
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        if (!used.contains(it.key()))
            fail(QStringLiteral("EN.txt: %1 is not used by %2").arg(it.key(), templatePath));
    }
    return 0;
}
