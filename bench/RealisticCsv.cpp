#include "RealisticCsv.h"

#include <QFile>
#include <QStringList>
#include <random>
#include <vector>

namespace {

const std::vector<QByteArray> kFirst = {
    "James",  "Mary",     "John",      "Patricia", "Robert",  "Jennifer", "Michael",
    "Linda",  "William",  "Elizabeth", "David",    "Barbara", "Richard",  "Susan",
    "Joseph", "Jessica",  "Thomas",    "Sarah",    "Charles", "Karen",    "Christopher",
    "Nancy",  "Daniel",   "Lisa",      "Matthew",  "Betty",   "Anthony",  "Margaret",
    "Mark",   "Sandra",   "José",      "Zoë",      "Łukasz",  "Søren",    "Ana María",
    "Jürgen", "François", "Ξανθή",     "Анна",     "王小明",  "Nguyễn",   "İpek"};
const std::vector<QByteArray> kLast = {
    "Smith",    "Johnson", "Williams",  "Brown",      "Jones",        "Garcia",
    "Miller",   "Davis",   "Rodriguez", "Martinez",   "Hernandez",    "Lopez",
    "Gonzalez", "Wilson",  "Anderson",  "Thomas",     "Taylor",       "Moore",
    "Jackson",  "Martin",  "Lee",       "Perez",      "Thompson",     "White",
    "Harris",   "Sanchez", "Clark",     "Ramirez",    "Lewis",        "Robinson",
    "O'Brien",  "Dvořák",  "Müller",    "Kuznetsova", "Papadopoulos", "van der Berg"};
const std::vector<QByteArray> kCities = {
    "London",    "Paris",     "Berlin",           "Madrid",           "Rome",      "Lisbon",
    "Dublin",    "Vienna",    "Prague",           "Warsaw",           "Athens",    "Oslo",
    "Stockholm", "Helsinki",  "Copenhagen",       "Amsterdam",        "Brussels",  "Zürich",
    "Kraków",    "São Paulo", "Washington, D.C.", "Portland, Oregon", "New York",  "Toronto",
    "Sydney",    "Tokyo",     "Beijing",          "Istanbul",         "Reykjavík", "Montréal"};
const std::vector<QByteArray> kWords = {
    "apple",   "river",   "stone",  "cloud",  "maple",  "harbor",  "falcon",  "meadow",  "copper",
    "lantern", "orchard", "summit", "willow", "ember",  "glacier", "prairie", "thistle", "beacon",
    "canyon",  "juniper", "marble", "nectar", "quartz", "saffron", "tundra",  "velvet",  "zephyr",
    "bramble", "cobalt",  "dune",   "fern",   "garnet", "hazel",   "indigo",  "jasper"};
const std::vector<QByteArray> kTeams = {"Red",   "Blue",  "Green",  "Gold",   "Silver",
                                        "Black", "White", "Orange", "Purple", "Teal"};

QByteArray quoted(const QByteArray& value) {
    if (!value.contains(',') && !value.contains('"')) return value;
    QByteArray out = value;
    out.replace("\"", "\"\"");
    return '"' + out + '"';
}

class Rows {
public:
    QByteArray value(int field) {
        const auto& first = pick(kFirst);
        const auto& last = pick(kLast);
        switch (field % 12) {
            case 0:
                return first;
            case 1:
                return last;
            case 2:
                return pick(kCities);
            case 3:
                return QByteArray(first).replace(' ', '.').toLower() + "." +
                       QByteArray(last).replace(' ', '.').replace('\'', "").toLower() +
                       "@example.com";
            case 4:
                return "+44 " + QByteArray::number(7000000000LL + qint64(random_() % 999999999));
            case 5:
                return pick(kTeams);
            case 6:
                return pick(kWords) + " " + pick(kWords);
            case 7:
                return QByteArray::number(random_() % 100000);
            case 8:
                return QByteArray::number(2000 + random_() % 25) + "-" +
                       QByteArray::number(1 + random_() % 12).rightJustified(2, '0') + "-" +
                       QByteArray::number(1 + random_() % 28).rightJustified(2, '0');
            case 9:
                return random_() % 10 == 0 ? "says \"hello\", twice" : pick(kWords);
            case 10:
                return pick(kWords) + ", " + pick(kWords) + " and " + pick(kWords);
            default:
                return random_() % 3 == 0 ? QByteArray() : pick(kWords);
        }
    }

private:
    const QByteArray& pick(const std::vector<QByteArray>& list) {
        return list[random_() % list.size()];
    }
    std::mt19937 random_{2026};
};

}  // namespace

bool WriteRealisticCsv(const QString& path, qint64 rows, int fields) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    Rows values;
    QByteArray block;
    for (qint64 i = 0; i < rows; ++i) {
        for (int k = 0; k < fields; ++k) {
            if (k > 0) block += ',';
            block += quoted(values.value(k));
        }
        block += "\r\n";
        if (block.size() > (1 << 20)) {
            if (file.write(block) != block.size()) return false;
            block.clear();
        }
    }
    return file.write(block) == block.size();
}
