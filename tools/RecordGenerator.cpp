#include "tools/RecordGenerator.h"

#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"

#include <QRandomGenerator>
#include <QStringList>

namespace generator {
namespace {

struct Name {
    const char* kanji;
    const char* kana;
};

const Name FamilyNames[] = {{"佐藤", "さとう"},   {"鈴木", "すずき"},   {"高橋", "たかはし"},
                            {"田中", "たなか"},   {"伊藤", "いとう"},   {"渡辺", "わたなべ"},
                            {"山本", "やまもと"}, {"中村", "なかむら"}, {"小林", "こばやし"},
                            {"加藤", "かとう"},   {"吉田", "よしだ"},   {"山田", "やまだ"},
                            {"佐々木", "ささき"}, {"松本", "まつもと"}, {"井上", "いのうえ"}};
const Name GivenNames[] = {{"花子", "はなこ"},   {"太郎", "たろう"},   {"美咲", "みさき"},
                           {"健一", "けんいち"}, {"陽子", "ようこ"},   {"大輔", "だいすけ"},
                           {"由美", "ゆみ"},     {"翔太", "しょうた"}, {"真理子", "まりこ"},
                           {"誠", "まこと"}};
const char* const PetNames[] = {"ポチ", "モモ",     "ココ",   "マロン", "チョコ", "ソラ", "レオ",
                                "ハナ", "コタロウ", "さくら", "こむぎ", "ルナ",   "Max",  "ベル"};
const char* const DogBreeds[] = {
    "トイプードル", "チワワ",   "ミニチュアダックス", "柴犬",
    "ポメラニアン", "シーズー", "マルチーズ",         "ヨークシャーテリア"};
const char* const CatBreeds[] = {"スコティッシュフォールド", "アメリカンショートヘア", "雑種",
                                 "ペルシャ"};
const char* const OtherBreeds[] = {"ウサギ", "フェレット", "モルモット"};
const char* const Towns[] = {
    "東京都世田谷区桜新町",       "東京都杉並区荻窪", "神奈川県横浜市青葉区美しが丘",
    "埼玉県さいたま市浦和区高砂", "千葉県船橋市本町", "東京都表参道"};
const char* const Buildings[] = {"", "", "コーポ桜 101", "メゾン・ド・ソレイユ 305",
                                 "グランハイツ 2F"};
const char* const Remarks[] = {"",
                               "",
                               "",
                               "耳掃除も希望",
                               "前回より短めに\r\n顔まわりはそのまま",
                               "皮膚が弱いので低刺激シャンプー",
                               "噛み癖あり, 注意",
                               "\"いつもの\"カットで"};
const char* const Kinds[] = {"犬", "猫", "その他"};
const char* const Shampoos[] = {"持込み", "レギュラー", "その他"};
const char* const Styles[] = {"バリカン", "プードル", "モンペ", "その他"};

QByteArray sjis(const QString& text) {
    return records::sjis::bytesOf(text);
}
QByteArray sjis(const char* utf8) {
    return sjis(QString::fromUtf8(utf8));
}

template <typename T, std::size_t N>
const T& pick(QRandomGenerator& random, const T (&items)[N]) {
    return items[random.bounded(static_cast<quint32>(N))];
}

QByteArray digits(QRandomGenerator& random, int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text.append(char('0' + random.bounded(10)));
    return text;
}

// Some fields are left empty, as staff often skip them.
QByteArray sometimes(QRandomGenerator& random, const QByteArray& value, int percentEmpty) {
    return random.bounded(100) < percentEmpty ? QByteArray() : value;
}

QByteArrayList customerValues(QRandomGenerator& random) {
    const Name& family = pick(random, FamilyNames);
    const Name& given = pick(random, GivenNames);
    const int kind = random.bounded(10) < 7 ? 0 : (random.bounded(3) < 2 ? 1 : 2);
    const char* breed = kind == 0   ? pick(random, DogBreeds)
                        : kind == 1 ? pick(random, CatBreeds)
                                    : pick(random, OtherBreeds);
    return {
        sjis(pick(random, PetNames)),
        random.bounded(20) == 0 ? QByteArray() : sjis(Kinds[kind]),
        sometimes(random, sjis(breed), 10),
        sometimes(random, sjis(QString::fromUtf8(family.kana) + " " + given.kana), 5),
        sjis(QString::fromUtf8(family.kanji) + " " + QString::fromUtf8(given.kanji)),
        sometimes(random, digits(random, 3) + "-" + digits(random, 4), 15),
        sometimes(random,
                  sjis(pick(random, Towns)) + QByteArray::number(random.bounded(1, 30)) + "-" +
                      QByteArray::number(random.bounded(1, 20)),
                  10),
        sjis(pick(random, Buildings)),
        sometimes(random,
                  "0" + digits(random, 1) + "-" + digits(random, 4) + "-" + digits(random, 4), 20),
        sometimes(random, "090-" + digits(random, 4) + "-" + digits(random, 4), 30)};
}

QByteArray twoDigits(int value) {
    return records::twoDigits(value).toLatin1();
}

QByteArray reservationLine(QRandomGenerator& random, const QByteArrayList& customer,
                           const QDate& day, int hour) {
    using namespace records::customer_record;
    const QByteArray shu = customer.at(Shu).isEmpty() ? sjis("その他") : customer.at(Shu);
    return records::reservation_record::buildLine(
        {QByteArray::number(day.year()),
         twoDigits(day.month()),
         twoDigits(day.day()),
         twoDigits(hour),
         twoDigits(random.bounded(4) * 15),
         customer.at(Furigana),
         customer.at(Shimei),
         customer.at(Yubin),
         customer.at(Jyusho),
         customer.at(JyushoTuzuki),
         customer.at(TelephoneNo),
         customer.at(MobilPhoneNo),
         customer.at(PetName),
         shu,
         customer.at(ShuNado),
         sjis(pick(random, Shampoos)),
         sjis(pick(random, Styles)),
         random.bounded(3) == 0 ? sjis("ヒゲカット") : QByteArray(),
         random.bounded(2) == 0 ? sjis("爪切り") : QByteArray(),
         sjis(pick(random, Remarks))});
}

// What hand edits leave behind in a long-lived file.
QByteArray handEditedLine(QRandomGenerator& random, const QDate& day) {
    const QByteArray date = QByteArray::number(day.year()) + "\t" + twoDigits(day.month()) + "\t";
    switch (random.bounded(5)) {
        case 0:
            return {};
        case 1:
            return date + twoDigits(day.day());
        case 2:
            return date + "32\t10\t00\t" + sjis("やまだ\t山田\t") + "x";
        case 3:
            return date + twoDigits(day.day()) + "\t07\t30\t" + sjis("早朝\tテスト");
        default:
            return date + twoDigits(day.day()) + "\t25\t00\t" + sjis("深夜\tテスト");
    }
}

}  // namespace

Records generate(const Options& options) {
    QRandomGenerator random(options.seed);
    Records records;
    QList<QByteArrayList> customers;
    customers.reserve(options.customers);
    for (int i = 0; i < options.customers; ++i) {
        customers.append(customerValues(random));
        records.customerLines.append(records::customer_record::buildLine(customers.last()));
    }
    if (customers.isEmpty()) {
        customers.append(customerValues(random));
    }
    const int perDay = 30;
    QDate day = options.lastDay.addDays(-(options.reservations / perDay));
    int onThisDay = 0;
    for (int i = 0; i < options.reservations; ++i) {
        if (onThisDay++ == perDay) {
            day = day.addDays(1);
            onThisDay = 1;
        }
        if (random.bounded(500) == 0) {
            records.reservationLines.append(handEditedLine(random, day));
            continue;
        }
        // Mornings and early evenings are busy: several bookings share those hours.
        const int hour =
            random.bounded(3) == 0 ? 8 + random.bounded(17) : (random.bounded(2) == 0 ? 10 : 17);
        const QByteArrayList& customer = customers.at(random.bounded(int(customers.size())));
        records.reservationLines.append(reservationLine(random, customer, day, hour));
    }
    return records;
}

}  // namespace generator
