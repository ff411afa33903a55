#include "print/Csv.h"

QByteArray Csv::field(const QString &text)
{
    QByteArray utf8 = text.toUtf8();
    bool quote = false;
    for (char c : std::as_const(utf8))
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            quote = true;
    if (!quote)
        return utf8;
    utf8.replace("\"", "\"\"");
    return '"' + utf8 + '"';
}

QByteArray Csv::record(const QStringList &fields)
{
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += field(fields.at(i));
    }
    return line + "\r\n";
}
