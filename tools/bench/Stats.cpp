#include "Stats.h"

#include <QHash>
#include <QJsonArray>
#include <algorithm>
#include <cmath>

Summary summarize(QVector<double> samples)
{
    Summary s;
    s.count = int(samples.size());
    if (samples.isEmpty())
        return s;
    std::sort(samples.begin(), samples.end());
    const int n = int(samples.size());
    s.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    const int rank = int(std::ceil(0.95 * n)); // 1-based
    s.p95 = samples[std::clamp(rank, 1, n) - 1];
    return s;
}

std::optional<double> Figure::ratio() const
{
    if (!ok() || !floor || floor->median <= 0)
        return std::nullopt;
    return value.median / floor->median;
}

std::optional<bool> Figure::met() const
{
    if (!ok() || !target)
        return std::nullopt;
    bool met = value.median <= *target;
    if (maxRatio) {
        const auto r = ratio();
        met = met && r && *r <= *maxRatio;
    }
    return met;
}

QString figureText(double v)
{
    const double a = std::fabs(v);
    const int decimals = a == 0 ? 0 : a < 0.1 ? 4 : a < 1 ? 3 : a < 10 ? 2 : a < 100 ? 1 : 0;
    return QString::number(v, 'f', decimals);
}

namespace {
QString withUnit(double v, const QString &unit) { return figureText(v) + QLatin1Char(' ') + unit; }

QString targetText(const Figure &f)
{
    if (!f.target)
        return QString();
    QString t = QStringLiteral("<= ") + withUnit(*f.target, f.unit);
    if (f.maxRatio)
        t += QStringLiteral(", <= %1x floor").arg(figureText(*f.maxRatio));
    return t;
}

QString pad(const QString &s, int width, bool right = false)
{
    return right ? s.rightJustified(width, QLatin1Char(' ')) : s.leftJustified(width, QLatin1Char(' '));
}
} // namespace

QString Report::table() const
{
    QStringList out;
    out << QStringLiteral("Torvane benchmark (%1 build)").arg(buildType);
    for (const auto &[k, v] : machine)
        out << QStringLiteral("  %1: %2").arg(k, v);
    for (const auto &[k, v] : database)
        out << QStringLiteral("  %1: %2").arg(k, v);
    out << QString();

    struct Col {
        QString head;
        int width;
        bool right;
    };
    const Col cols[] = {{QStringLiteral("Measure"), 38, false},
                        {QStringLiteral("n"), 4, true},
                        {QStringLiteral("median"), 11, true},
                        {QStringLiteral("p95"), 11, true},
                        {QStringLiteral("cpu med."), 11, true},
                        {QStringLiteral("writes"), 6, true},
                        {QStringLiteral("failed"), 6, true},
                        {QStringLiteral("target"), 24, false},
                        {QStringLiteral("floor"), 30, false},
                        {QStringLiteral("floor med."), 11, true},
                        {QStringLiteral("ratio"), 8, true},
                        {QStringLiteral(""), 6, false}};
    auto line = [&](const QStringList &cells) {
        QString l;
        for (int i = 0; i < cells.size(); ++i)
            l += pad(cells[i], cols[i].width, cols[i].right) + QStringLiteral("  ");
        while (l.endsWith(QLatin1Char(' ')))
            l.chop(1);
        return l;
    };
    QStringList head;
    for (const Col &c : cols)
        head << c.head;
    out << line(head);
    int rule = 0;
    for (const Col &c : cols)
        rule += c.width + 2;
    out << QString(rule - 2, QLatin1Char('-'));
    for (const Figure &f : figures) {
        if (!f.ok()) {
            out << line({f.title, QString(), QStringLiteral("failed: ") + f.error});
            continue;
        }
        const auto r = f.ratio();
        const auto m = f.met();
        out << line({f.title, QString::number(f.value.count), withUnit(f.value.median, f.unit),
                     withUnit(f.value.p95, f.unit), f.cpu ? withUnit(f.cpu->median, f.unit) : QString(),
                     f.writes ? QString::number(*f.writes) : QString(),
                     f.failures ? QString::number(*f.failures) : QString(), targetText(f),
                     f.floor ? f.floorTitle : QString(), f.floor ? withUnit(f.floor->median, f.unit) : QString(),
                     r ? figureText(*r) + QLatin1Char('x') : QString(),
                     m ? (*m ? QStringLiteral("ok") : QStringLiteral("MISSED")) : QString()});
    }
    bool notes = false;
    for (const Figure &f : figures) {
        if (f.note.isEmpty())
            continue;
        if (!notes)
            out << QString() << QStringLiteral("What was timed:");
        notes = true;
        out << QStringLiteral("  %1: %2").arg(f.title, f.note);
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonObject Report::json() const
{
    auto pairs = [](const QVector<QPair<QString, QString>> &list) {
        QJsonObject o;
        for (const auto &[k, v] : list)
            o.insert(k, v);
        return o;
    };
    auto summary = [](const Summary &s) {
        return QJsonObject{
            {QStringLiteral("median"), s.median}, {QStringLiteral("p95"), s.p95}, {QStringLiteral("samples"), s.count}};
    };
    QJsonArray figs;
    for (const Figure &f : figures) {
        QJsonObject o{
            {QStringLiteral("name"), f.name}, {QStringLiteral("title"), f.title}, {QStringLiteral("unit"), f.unit}};
        if (f.ok()) {
            o.insert(QStringLiteral("median"), f.value.median);
            o.insert(QStringLiteral("p95"), f.value.p95);
            o.insert(QStringLiteral("samples"), f.value.count);
            if (f.cpu)
                o.insert(QStringLiteral("cpu"), summary(*f.cpu));
            if (f.writes)
                o.insert(QStringLiteral("writes"), *f.writes);
            if (f.failures)
                o.insert(QStringLiteral("failures"), *f.failures);
        } else {
            o.insert(QStringLiteral("error"), f.error);
        }
        o.insert(QStringLiteral("target"), f.target ? QJsonValue(*f.target) : QJsonValue());
        if (f.maxRatio)
            o.insert(QStringLiteral("max_ratio"), *f.maxRatio);
        if (f.floor) {
            QJsonObject fl = summary(*f.floor);
            fl.insert(QStringLiteral("name"), f.floorName);
            fl.insert(QStringLiteral("title"), f.floorTitle);
            o.insert(QStringLiteral("floor"), fl);
        } else {
            o.insert(QStringLiteral("floor"), QJsonValue());
        }
        const auto r = f.ratio();
        o.insert(QStringLiteral("ratio"), r ? QJsonValue(*r) : QJsonValue());
        const auto m = f.met();
        o.insert(QStringLiteral("met"), m ? QJsonValue(*m) : QJsonValue());
        if (!f.note.isEmpty())
            o.insert(QStringLiteral("note"), f.note);
        figs.append(o);
    }
    return QJsonObject{{QStringLiteral("build"), buildType},
                       {QStringLiteral("machine"), pairs(machine)},
                       {QStringLiteral("database"), pairs(database)},
                       {QStringLiteral("figures"), figs}};
}

QString sideBySide(const Report &file, const Report &server)
{
    QStringList out;
    out << QStringLiteral("Side by side: file and server");
    auto cell = [](const QString &text, int width, bool right = true) {
        return right ? text.rightJustified(width) : text.leftJustified(width);
    };
    out << cell(QStringLiteral("Measure"), 44, false) + cell(QStringLiteral("file med."), 11)
               + cell(QStringLiteral("p95"), 9) + cell(QStringLiteral("floor"), 9) + cell(QStringLiteral("ratio"), 8)
               + cell(QStringLiteral("server med."), 13) + cell(QStringLiteral("p95"), 9)
               + cell(QStringLiteral("server/file med."), 18) + cell(QStringLiteral("p95"), 8);
    out << QString(129, QLatin1Char('-'));
    auto ratioText = [](double a, double b) { return b > 0 ? figureText(a / b) + QLatin1Char('x') : QString(); };
    QHash<QString, std::pair<double, double>> serverOverFile;
    for (const Figure &f : file.figures) {
        auto s = std::find_if(server.figures.cbegin(), server.figures.cend(),
                              [&](const Figure &g) { return g.name == f.name; });
        if (!f.ok() || s == server.figures.cend() || !s->ok())
            continue;
        const auto r = f.ratio();
        serverOverFile.insert(f.name, {s->value.median / f.value.median, s->value.p95 / f.value.p95});
        out << cell(f.title, 44, false) + cell(figureText(f.value.median) + QLatin1Char(' ') + f.unit, 11)
                   + cell(figureText(f.value.p95), 9) + cell(f.floor ? figureText(f.floor->median) : QString(), 9)
                   + cell(r ? figureText(*r) + QLatin1Char('x') : QString(), 8)
                   + cell(figureText(s->value.median) + QLatin1Char(' ') + s->unit, 13)
                   + cell(figureText(s->value.p95), 9) + cell(ratioText(s->value.median, f.value.median), 18)
                   + cell(ratioText(s->value.p95, f.value.p95), 8);
    }
    out << QString();
    auto aim = [&](const QString &name, const QString &what, bool p95, double limit) {
        const auto it = serverOverFile.constFind(name);
        if (it == serverOverFile.cend())
            return;
        const double r = p95 ? it->second : it->first;
        out << QStringLiteral("  %1 on the server <= %2x the file's: %3x  %4")
                   .arg(what, figureText(limit), figureText(r), r <= limit ? QStringLiteral("met")
                                                                            : QStringLiteral("MISSED"));
    };
    aim(QStringLiteral("booking_contended_4"), QStringLiteral("4-station booking p50"), false, 2);
    aim(QStringLiteral("booking_contended_4"), QStringLiteral("4-station booking p95"), true, 2);
    aim(QStringLiteral("open_stored_page"), QStringLiteral("Page open p50"), false, 3);
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
