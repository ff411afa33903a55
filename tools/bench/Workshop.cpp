#include "Workshop.h"

#include "booking/BookingTimes.h"
#include "core/Colors.h"
#include "core/ListText.h"
#include "core/Numbers.h"
#include "daypage/PageModel.h"
#include "daypage/PageText.h"
#include "store/CustomerStore.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/Schema.h"
#include "store/TableCopy.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace Workshop {

const QString OldestPageName = QStringLiteral("Ottoline Vanterpool");
const QString MissingName = QStringLiteral("Xanthe Qwilleran");

namespace {

const QString Open = QStringLiteral("08:00 AM");
const QString Close = QStringLiteral("05:00 PM");
constexpr int SlotMinutes = 30;
constexpr int FirstTimeRow = PageModel::FirstTimeRow;
constexpr int LastRow = LastSlotRow + 1;
constexpr int ColorRows = LastRow - FirstTimeRow + 1; // rows 6 to the extra row

const char *const TechNames[Techs] = {"Mike Dunn", "Sue Park",     "Tony Russo",
                                      "Raj Patel", "Ann Kowalski", "Luis Ortega"};

struct Job {
    const char *name;
    float hours;
    const char *price;
};

const Job Mainten[] = {
    {"Lube, Oil & Filter", 0.5f, "39.95"},   {"Synthetic Oil Change", 0.5f, "79.95"},
    {"Tire Rotation", 0.5f, "24.95"},        {"Brake Inspection", 0.5f, "29.95"},
    {"Front Brake Pads", 1.5f, "189.95"},    {"Rear Brake Shoes", 1.5f, "169.95"},
    {"Coolant Flush", 1.0f, "99.95"},        {"Transmission Service", 1.5f, "149.95"},
    {"Tune-Up 4 Cyl", 1.5f, "129.95"},       {"Tune-Up 6 Cyl", 2.0f, "169.95"},
    {"Wheel Alignment", 1.0f, "89.95"},      {"Battery Replacement", 0.5f, "149.95"},
    {"Safety Inspection", 1.0f, "69.95"},    {"A/C Recharge", 1.0f, "119.95"},
    {"Timing Belt", 3.0f, "449.95"},         {"Fuel System Cleaning", 1.0f, "109.95"},
    {"Power Steering Flush", 0.5f, "79.95"}, {"Spark Plugs", 1.0f, "89.95"},
    {"Differential Service", 1.0f, "99.95"}, {"Seasonal Maintenance", 1.5f, "139.95"},
};
const Job Menu[] = {
    {"Wiper Blades", 0.25f, "29.95"},    {"Air Filter", 0.25f, "24.95"},     {"Cabin Filter", 0.25f, "39.95"},
    {"Headlight Bulb", 0.25f, "19.95"},  {"Tire Repair", 0.5f, "29.95"},     {"Tire Change Over", 1.0f, "59.95"},
    {"Serpentine Belt", 1.0f, "119.95"}, {"Thermostat", 1.5f, "159.95"},     {"Water Pump", 3.0f, "489.95"},
    {"Alternator", 2.0f, "399.95"},      {"Starter", 2.0f, "349.95"},        {"Shocks (pair)", 1.5f, "279.95"},
    {"Struts (pair)", 2.5f, "599.95"},   {"Muffler", 1.0f, "189.95"},        {"CV Axle", 2.0f, "329.95"},
    {"Wheel Bearing", 1.5f, "249.95"},   {"Diagnostic Scan", 0.5f, "59.95"}, {"Check Engine Light", 1.0f, "89.95"},
    {"Radiator", 2.5f, "499.95"},        {"Fuel Pump", 2.5f, "589.95"},      {"Brake Rotors", 1.0f, "219.95"},
};
const Job Internal[] = {
    {"Road Test", 0.5f, "0"},       {"Car Wash", 0.5f, "0"},       {"Recheck", 0.5f, "0"},
    {"Pickup/Delivery", 0.5f, "0"}, {"Warranty Claim", 0.5f, "0"}, {"Used Car Safety", 1.5f, "0"},
};
const Job Other[] = {
    {"Check rattle", 0.5f, ""}, {"Noise from front end", 1.0f, ""}, {"Quote on rust repair", 0.5f, ""}};

const char *const Years[] = {"2004", "2005", "2006", "2007", "2008", "2009", "2010", "2011", "2012", "2013", "2014",
                             "2015", "2016", "2017", "2018", "2019", "2020", "2021", "2022", "2023", "2024"};
const char *const Makes[] = {"Toyota",        "Honda",  "Ford",       "Chevrolet", "Nissan",   "Hyundai",    "Kia",
                             "Mazda",         "Subaru", "Volkswagen", "Dodge",     "Jeep",     "GMC",        "BMW",
                             "Mercedes-Benz", "Audi",   "Lexus",      "Acura",     "Chrysler", "Mitsubishi", "Volvo"};
const char *const Cities[] = {"Burlington", "Mississauga", "Milton", "Hamilton",  "Toronto",      "Brampton",
                              "Georgetown", "Grimsby",     "Guelph", "Waterdown", "Halton Hills", "Ancaster"};
const char *const FirstNames[] = {
    "James",   "Mary",    "Robert",  "Patricia", "John",    "Jennifer", "Michael", "Linda",    "David",    "Elizabeth",
    "William", "Barbara", "Richard", "Susan",    "Joseph",  "Jessica",  "Thomas",  "Sarah",    "Charles",  "Karen",
    "Chris",   "Nancy",   "Daniel",  "Lisa",     "Matthew", "Betty",    "Anthony", "Margaret", "Mark",     "Sandra",
    "Donald",  "Ashley",  "Steven",  "Kimberly", "Paul",    "Emily",    "Andrew",  "Donna",    "Joshua",   "Michelle",
    "Kenneth", "Carol",   "Kevin",   "Amanda",   "Brian",   "Dorothy",  "George",  "Melissa",  "Tim",      "Deborah",
    "Ronald",  "Rebecca", "Jason",   "Sharon",   "Ryan",    "Laura",    "Gary",    "Cynthia",  "Nicholas", "Angela",
    "Eric",    "Helen",   "Stephen", "Anna",     "Larry",   "Brenda",   "Frank",   "Pamela",   "Scott",    "Nicole"};
const char *const LastNames[] = {
    "Smith",    "Johnson",   "Williams", "Brown",    "Jones",    "Garcia",    "Miller",  "Davis",     "Rodriguez",
    "Martinez", "Hernandez", "Lopez",    "Gonzalez", "Wilson",   "Anderson",  "Thomas",  "Taylor",    "Moore",
    "Jackson",  "Martin",    "Lee",      "Perez",    "Thompson", "White",     "Harris",  "Sanchez",   "Clark",
    "Ramirez",  "Lewis",     "Robinson", "Walker",   "Young",    "Allen",     "King",    "Wright",    "Scott",
    "Torres",   "Nguyen",    "Hill",     "Flores",   "Green",    "Adams",     "Nelson",  "Baker",     "Hall",
    "Rivera",   "Campbell",  "Mitchell", "Carter",   "Roberts",  "Tremblay",  "Gagnon",  "Roy",       "Cote",
    "Bouchard", "Gauthier",  "Morin",    "Lavoie",   "Fortin",   "Gagne",     "Ouellet", "Pelletier", "Belanger",
    "Levesque", "Bergeron",  "Leblanc",  "Paquette", "Girard",   "Simard",    "Boucher", "Caron",     "Beaulieu",
    "Cloutier", "Dube",      "Poirier",  "Fournier", "Lapointe", "MacDonald", "Murray",  "Stewart",   "MacLeod",
    "Ross",     "Fraser",    "Reid",     "Singh",    "Chen",     "Wong",      "Li",      "Kumar",     "Sharma"};
const char *const Streets[] = {"Maple",   "Oak",    "Lakeshore", "Brant", "Guelph Line",  "Walkers Line",
                               "Appleby", "Plains", "Fairview",  "New",   "Upper Middle", "Dundas",
                               "Queen",   "King",   "Elm",       "Cedar", "Pine",         "Birch"};
const char *const StreetKinds[] = {"St", "Ave", "Rd", "Dr", "Cres", "Blvd"};
const char *const DropTimes[] = {"08:00", "08:30", "09:00", "09:30", "10:00", "10:30", "11:00",
                                 "11:30", "12:00", "12:30", "01:00", "01:30", "02:00", "02:30",
                                 "03:00", "03:30", "04:00", "04:30", "05:00", "05:30", "06:00"};
const char *const Memos[] = {"Parts delivery from NAPA at 10.",
                             "Sue leaves at 3 for a dentist appointment.",
                             "Alignment rack down for service in the morning.",
                             "Fleet vans: call Dave when done.",
                             "Loaner car out until Friday.",
                             "Inventory count after closing."};
const char *const Comments[] = {
    "Customer waiting.",     "Call before doing extra work.", "Has own parts.",  "Comeback: check previous invoice.",
    "Needs a ride to work.", "Quote only, do not start.",     "Key in drop box."};

template <class T, std::size_t N>
constexpr int count(const T (&)[N])
{
    return int(N);
}

// A list built item by item: every item followed by "%", padded to n items.
template <class T, std::size_t N>
QString padded(const T (&items)[N], int n, QString (*item)(const T &))
{
    QStringList l;
    for (int i = 0; i < n; ++i)
        l << (i < int(N) ? item(items[i]) : QString());
    return joinList(l, true);
}
QString jobName(const Job &j) { return QString::fromUtf8(j.name); }
QString jobTime(const Job &j) { return numberText(j.hours); }
QString jobPrice(const Job &j) { return QString::fromUtf8(j.price); }
QString text(const char *const &s) { return QString::fromUtf8(s); }

QStringList techList(const char *const *names)
{
    QStringList l;
    for (int i = 0; i < Techs; ++i)
        l << QString::fromUtf8(names[i]);
    return l;
}

// Rows 2 to the extra row, one cell per technician: what the weekday templates hold.
PageText::Cells weekdayTemplate()
{
    PageText::Cells cells(TextRows, QStringList(Techs, QString()));
    for (int c = 0; c < Techs; ++c) {
        cells[PageModel::HoursUsedRow - 2][c] = QStringLiteral("0");
        cells[PageModel::HoursStartRow - 2][c] = QStringLiteral("8");
        cells[LunchRow - 2][c] = QStringLiteral("LUNCH");
    }
    return cells;
}

class Generator {
public:
    Generator(Database &db, const Plan &plan) : m_db(db), m_plan(plan), m_rng(plan.seed)
    {
        m_labels = PageModel::timeLabels(Open, Close, SlotMinutes);
        if (m_labels.size() != LastSlotRow - FirstTimeRow + 1)
            throw AppError(ErrNo::InvalidProperty, QStringLiteral("Unexpected time rows"));
        m_template = weekdayTemplate();
        m_blank = m_template;
        for (QStringList &row : m_blank)
            for (QString &cell : row)
                if (cell == QLatin1String("LUNCH"))
                    cell.clear();
    }

    Summary run()
    {
        writeSettings();
        prepare(m_page, QStringLiteral(
                            "INSERT INTO \"tbl_Appt\" (\"caldate\", \"location\", \"open\", \"Close\", \"timeslot\", "
                            "\"lunchstart\", \"lunchclose\", "
                            "\"Listno\", \"Sites\", \"Names\", \"Skills\", \"Spare\", \"Data\", \"BlankPage\", "
                            "\"Color\", \"Memo\", \"Clinic\") "
                            "VALUES (?, 'Office', ?, ?, ?, '12:00 PM', '12:30 PM', ?, ?, ?, ?, 'A:', ?, ?, ?, ?, ?)"));
        prepare(m_job,
                QStringLiteral(
                    "INSERT INTO \"tbl_Job\" (\"bDate\", \"bCol\", \"bRow\", \"bTech\", \"bTime\", \"bName\", "
                    "\"bPhone\", \"bAddress\", \"bCity\", "
                    "\"bProv\", \"bPostCode\", \"bVehicle\", \"bMake\", \"bMainten\", \"bMenu1\", \"bMenu2\", "
                    "\"bMenu3\", \"bMenu4\", \"bMenu5\", "
                    "\"bInternal1\", \"bInternal2\", \"bOther1\", \"bOther2\", \"bITime\", \"bTTime\", \"bDrop\", "
                    "\"bProm\", \"bPay\", \"bComments\") "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        Summary s;
        for (QDate d = m_plan.first; d <= m_plan.last; d = d.addDays(1)) {
            if (d.dayOfWeek() == Qt::Sunday)
                closedDay(d);
            else
                s.bookings += workingDay(d, s);
            ++s.pages;
            if (d.dayOfWeek() != Qt::Sunday)
                ++s.workingDays;
        }
        return s;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }

    void prepare(QSqlQuery &q, const QString &sql)
    {
        q = QSqlQuery(m_db.connection());
        if (!q.prepare(sql))
            throw m_db.engine().error(q.lastError(), m_db.path(), QString());
    }
    void run(QSqlQuery &q, const QVariantList &binds)
    {
        for (int i = 0; i < binds.size(); ++i)
            q.bindValue(i, binds.at(i));
        if (!q.exec())
            throw m_db.engine().error(q.lastError(), m_db.path(), QString());
    }

    void writeSettings()
    {
        const QString tmpl = PageText::join(m_template);
        QStringList skills;
        for (int i = 0; i < Techs; ++i)
            skills << (i % 2 ? QStringLiteral("1 1 0 0 1 1 0 0 1 0 1") : QStringLiteral("1 1 1 1 0 0 1 1 1 0 1"));
        m_skills = skills.join(QLatin1Char('%'));
        m_sites = joinList({QStringLiteral("Bay 1"), QStringLiteral("Bay 2"), QStringLiteral("Bay 3"),
                            QStringLiteral("Bay 4"), QStringLiteral("Bay 5"), QStringLiteral("Bay 6")},
                           true);
        m_names = joinList(techList(TechNames), true);
        m_db.execute(
            QStringLiteral("INSERT INTO \"tbl_Setup\" (\"location\", \"open\", \"Close\", \"Mon\", \"Tue\", \"Wed\", "
                           "\"Thu\", \"Fri\", \"Sat\", \"Sun\", "
                           "\"chk1\", \"chk2\", \"chk3\", \"chk4\", \"chk5\", \"chk6\", \"chk7\", \"lunchstart\", "
                           "\"lunchclose\", \"timeslot\", \"RHeight\", \"Listno\", "
                           "\"Sites\", \"Names\", \"cwidth\", \"Skills\", \"FixedMemo\", \"Bookno\", \"Lblcolors\", "
                           "\"Spare\", \"Printmode\", \"FillPage\", "
                           "\"dMode\", \"dFillPage\", \"PWidth\", \"DWidth\", \"Readme\", \"Licence\") "
                           "VALUES ('Office', ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, 0, 0, 0, 0, 0, 0, '12:00 PM', '12:30 PM', "
                           "?, 1, ?, ?, ?, ?, ?, ?, '48213', ?, 'A:', 1, 0, 1, 0, ?, ?, '', '')"),
            {Open, Close, tmpl, tmpl, tmpl, tmpl, tmpl, tmpl, tmpl, SlotMinutes, Techs, m_sites, m_names,
             QStringLiteral("1100%1700%1700%1700%1700%1700%1700%"), m_skills,
             QStringLiteral("Shuttle leaves at 8:15 and 1:15. Loaners: ask Sue."),
             QStringLiteral("Customer Waiting%Comeback%Parts Ordered%Vehicle Ready%Drop Off%Warranty%"
                            "Fleet Account%Quote Only"),
             QStringLiteral("1100%1500%1500%1500%1500%1500%1500%"),
             QStringLiteral("1000%1400%1900%1400%700%1100%2000%1800%800%1500%")});
        m_db.execute(QStringLiteral("INSERT INTO \"tbl_Setup2\" (\"dMainten\", \"dTMainten\", \"dPMainten\", "
                                    "\"dMenu\", \"dTMenu\", \"dPMenu\", \"dInternal\", "
                                    "\"dTInternal\", \"dPInternal\", \"dVehicle\", \"dMake\", \"dCity\", \"dProv\", "
                                    "\"dCOthers\", \"dPOthers\") "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'Oakville', 'ON', ?, ?)"),
                     {padded(Mainten, 21, jobName), padded(Mainten, 21, jobTime), padded(Mainten, 21, jobPrice),
                      padded(Menu, 21, jobName), padded(Menu, 21, jobTime), padded(Menu, 21, jobPrice),
                      padded(Internal, 21, jobName), padded(Internal, 21, jobTime), padded(Internal, 21, jobPrice),
                      padded(Years, 21, text), padded(Makes, 21, text), padded(Cities, 12, text),
                      joinList({QStringLiteral("QC"), QStringLiteral("MB")}, true)});
    }

    void insertPage(const QDate &d, const QString &data, const QString &blank, const QString &color,
                    const QString &memo, bool closed)
    {
        run(m_page, {d.toString(Qt::ISODate), Open, Close, SlotMinutes, Techs, m_sites, m_names, m_skills, data, blank,
                     color, memo, closed ? 1 : 0});
    }

    // A closed day as the calendar leaves it: made from the Sunday template and never shown open,
    // so it keeps its template text and has no colour list.
    void closedDay(const QDate &d)
    {
        const QString tmpl = PageText::join(m_template);
        insertPage(d, tmpl, tmpl, QStringLiteral("0"), QString(), true);
    }

    QString customerName()
    {
        return QStringLiteral("%1 %2").arg(QString::fromUtf8(FirstNames[pick(count(FirstNames))]),
                                           QString::fromUtf8(LastNames[pick(count(LastNames))]));
    }

    int workingDay(const QDate &d, Summary &s)
    {
        const bool oldest = !s.oldestNameDate.isValid();
        if (oldest)
            s.oldestNameDate = d;
        PageText::Cells cells = m_blank;
        std::array<std::array<qint64, ColorRows>, Techs> colors;
        for (auto &col : colors)
            col.fill(FreeSlotColor);
        for (int c = 0; c < Techs; ++c)
            colors[c][LunchRow - FirstTimeRow] = LunchColor;

        // Each booking goes to a technician with room left, each technician's day filled from the
        // morning on, until the day's count is made or the day is full.
        const int wanted = m_plan.bookingsPerDay - 5 + pick(11);
        std::array<int, Techs> next{};
        std::array<float, Techs> used{};
        for (int c = 0; c < Techs; ++c)
            next[c] = FirstTimeRow + (chance(0.3) ? 1 : 0);
        int made = 0;
        for (int i = 0; i < wanted; ++i) {
            std::array<int, Techs> order{0, 1, 2, 3, 4, 5};
            std::shuffle(order.begin(), order.end(), m_rng);
            int c = -1;
            for (int t : order) {
                if (next[t] == LunchRow)
                    ++next[t];
                if (next[t] <= LastSlotRow) {
                    c = t;
                    break;
                }
            }
            if (c < 0)
                break; // every technician is booked up
            int row = next[c];
            const QString name = oldest && made == 0 ? OldestPageName : customerName();
            const float total = booking(d, c + 1, row, name);
            // A booking in a free slot is shown in the light booking colour; some get a colour
            // button other than White.
            const qint64 color =
                chance(0.8) ? BookingTimes::LightBookingColor
                            : BookingTimes::ColorButtons[pick(int(BookingTimes::ColorButtons.size()) - 1)].color;
            cells[row - 2][c] = name;
            // The span as the booking form shades it: the booking cell and the cells below, lunch
            // passed over, up to the last time slot.
            const int span = BookingTimes::spanSlots(total, SlotMinutes);
            int painted = 0;
            while (painted < span && row <= LastSlotRow) {
                if (row != LunchRow) {
                    colors[c][row - FirstTimeRow] = color;
                    ++painted;
                }
                ++row;
            }
            next[c] = row + (chance(0.25) ? 1 : 0);
            used[c] = leadingNumber(numberText(used[c] + total));
            ++made;
        }
        for (int c = 0; c < Techs; ++c) {
            cells[PageModel::HoursUsedRow - 2][c] = numberText(used[c]);
            cells[PageModel::HoursAvailRow - 2][c] = numberText(8.0f - used[c]);
        }

        QVector<qint64> list;
        list.reserve(Techs * ColorRows);
        for (const auto &col : colors)
            for (qint64 v : col)
                list << v;
        insertPage(d, PageText::join(cells), PageText::join(m_blank), ColorList::format(list),
                   chance(0.1) ? QString::fromUtf8(Memos[pick(count(Memos))]) : QString(), false);
        return made;
    }

    // One booking record as the booking form saves it; returns its total hours.
    float booking(const QDate &d, int col, int row, const QString &name)
    {
        std::array<QString, 10> times;
        QString mainten, menu[5], internal[2], other[2];
        float total = 0;
        auto take = [&](const Job &j, QString &field, int index) {
            field = QString::fromUtf8(j.name);
            times[index] = numberText(j.hours);
            total += j.hours;
        };
        if (chance(0.7))
            take(Mainten[pick(count(Mainten))], mainten, 0);
        const int menus = chance(0.55) ? 0 : chance(0.8) ? 1 : 2;
        for (int i = 0; i < menus; ++i)
            take(Menu[pick(count(Menu))], menu[i], 1 + i);
        if (chance(0.1))
            take(Internal[pick(count(Internal))], internal[0], 6);
        if (chance(0.05))
            take(Other[pick(count(Other))], other[0], 8);
        if (total == 0)
            take(Menu[pick(count(Menu))], menu[0], 1);
        QString itime;
        for (const QString &t : times)
            itime += t + QLatin1Char('%');

        const int drop = qMin(row - FirstTimeRow, count(DropTimes) - 1);
        const int prom = qMin(drop + 2 + int(std::ceil(total * 2)), count(DropTimes) - 1);
        const bool away = chance(0.2);
        static const char *const pays[] = {"Credit Card", "Credit Card", "Credit Card", "Cash",   "Cash",
                                           "Check",       "Warranty",    "Charge",      "Charge", "Charge"};
        run(m_job, {d.toString(Qt::ISODate),
                    col,
                    row,
                    QString::fromUtf8(TechNames[col - 1]),
                    m_labels.at(row - FirstTimeRow),
                    name,
                    QStringLiteral("(905) 555-%1").arg(pick(10000), 4, 10, QLatin1Char('0')),
                    QStringLiteral("%1 %2 %3")
                        .arg(1 + pick(2400))
                        .arg(QString::fromUtf8(Streets[pick(count(Streets))]),
                             QString::fromUtf8(StreetKinds[pick(count(StreetKinds))])),
                    away ? QString::fromUtf8(Cities[pick(count(Cities))]) : QStringLiteral("Oakville"),
                    QStringLiteral("ON"),
                    QStringLiteral("L6%1 %2%3%4")
                        .arg(QChar(u'H' + pick(4)))
                        .arg(pick(10))
                        .arg(QChar(u'A' + pick(26)))
                        .arg(pick(10)),
                    QString::fromUtf8(Years[pick(count(Years))]),
                    QString::fromUtf8(Makes[pick(count(Makes))]),
                    mainten,
                    menu[0],
                    menu[1],
                    menu[2],
                    menu[3],
                    menu[4],
                    internal[0],
                    internal[1],
                    other[0],
                    other[1],
                    itime,
                    numberText(total),
                    QString::fromUtf8(DropTimes[drop]),
                    QString::fromUtf8(DropTimes[prom]),
                    QString::fromUtf8(pays[pick(count(pays))]),
                    chance(0.15) ? QString::fromUtf8(Comments[pick(count(Comments))]) : QString()});
        return total;
    }

    Database &m_db;
    Plan m_plan;
    std::mt19937 m_rng;
    QStringList m_labels;
    PageText::Cells m_template;
    PageText::Cells m_blank;
    QString m_sites, m_names, m_skills;
    QSqlQuery m_page;
    QSqlQuery m_job;
};

} // namespace

Summary generate(const QString &dbPath, const Plan &plan)
{
    Database db;
    if (Database::isConnectionFile(dbPath)) {
        db.open(dbPath);
        if (!TableCopy::tables(db).isEmpty())
            throw AppError(ErrNo::InUse,
                           QStringLiteral("The database named in %1 holds tables already; the workshop goes into an "
                                          "empty one")
                               .arg(dbPath));
    } else {
        if (QFileInfo::exists(dbPath))
            throw AppError(ErrNo::CannotOpen, QStringLiteral("%1 exists already").arg(dbPath));
        db.create(dbPath);
    }
    Summary s;
    {
        WriteTransaction tx(db);
        Schema::createShared(db);
        Generator g(db, plan);
        s = g.run();
        CustomerStore(db).rememberAllBookings();
        tx.commit();
    }
    return s;
}

void makeStation(const QString &programFolder, const QString &serverFolder)
{
    QDir().mkpath(programFolder);
    const QString path = QDir(programFolder).filePath(QStringLiteral("dbn.mdb"));
    QFile::remove(path);
    Database db;
    db.create(path);
    Schema::createStation(db);
    db.execute(QStringLiteral("INSERT INTO \"tbl_netset\" (\"server\", \"net\", \"Main\") VALUES (?, 1, 1)"),
               {QDir(serverFolder).absolutePath()});
}

QStringList techNames() { return techList(TechNames); }

} // namespace Workshop
