// JSON strings and numbers as the --json document writes them.
#include "cli/json_output.h"

#include "tests/cli/captured_console.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <bit>
#include <cstdlib>
#include <functional>
#include <limits>
#include <random>

namespace velsaro::cli {
namespace {

using testing::CapturedConsole;

TEST(JsonOutput, EscapesQuotesBackslashesAndControlCharacters)
{
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString("\n\r\t\b\f"), "\"\\n\\r\\t\\b\\f\"");
    EXPECT_EQ(jsonString(std::string("\x01\x1F\x00", 3)), "\"\\u0001\\u001f\\u0000\"");
    EXPECT_EQ(jsonString("\x7F/"), "\"\x7F/\"");
}

TEST(JsonOutput, KeepsUtf8AndReplacesInvalidBytes)
{
    EXPECT_EQ(jsonString("cara ñ €"), "\"cara ñ €\"");
    EXPECT_EQ(jsonString("a\xFF" "b"), "\"a\xEF\xBF\xBD" "b\"");
}

TEST(JsonOutput, WritesDoublesThatReadBackBitForBit)
{
    std::mt19937_64 random(42);
    for (int i = 0; i < 2000; ++i) {
        double value = std::bit_cast<double>(random());
        if (!std::isfinite(value))
            continue;
        const std::string text = jsonNumber(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
        const QJsonDocument parsed = QJsonDocument::fromJson(QByteArray::fromStdString("[" + text + "]"));
        EXPECT_EQ(parsed.array().at(0).toDouble(), value) << text;
    }
}

TEST(JsonOutput, WritesShortestTextForSimpleValues)
{
    EXPECT_EQ(jsonNumber(0.1), "0.1");
    EXPECT_EQ(jsonNumber(-2.5), "-2.5");
    EXPECT_EQ(jsonNumber(1e300), "1e+300");
}

TEST(JsonOutput, WritesNullForValuesJsonCannotHold)
{
    EXPECT_EQ(jsonNumber(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(jsonNumber(-std::numeric_limits<double>::infinity()), "null");
}

TEST(JsonOutput, WritesFailedPictureAsPathAndError)
{
    const PictureResult failed{"a\"b.gif", std::nullopt, "el archivo no existe"};
    EXPECT_EQ(jsonPicture(failed), "{\"path\": \"a\\\"b.gif\", \"error\": \"el archivo no existe\"}");
}

TEST(JsonOutput, GivesEveryPathThatIsNotUtf8ItsBytesInBase64Beside)
{
    // "año" in Latin-1 and in another single-byte code page: alike as text, apart as bytes.
    const std::string latin1 = "a\xf1o.jpg";
    const std::string other = "a\xa4o.jpg";
    EXPECT_EQ(jsonPicture({latin1, std::nullopt, "e"}),
              "{\"path\": \"a\xEF\xBF\xBDo.jpg\", \"path_bytes\": \"YfFvLmpwZw==\", \"error\": \"e\"}");
    EXPECT_NE(jsonPicture({latin1, std::nullopt, "e"}), jsonPicture({other, std::nullopt, "e"}));
    EXPECT_EQ(jsonPicture({"año.jpg", std::nullopt, "e"}), "{\"path\": \"año.jpg\", \"error\": \"e\"}");

    CapturedConsole captured;
    JsonOutput output(captured.console(), "pictures");
    output.groups({{"1.", {"ok.jpg", latin1}, {0, 3}}});
    output.finish();
    const QJsonObject group = QJsonDocument::fromJson(QByteArray::fromStdString(captured.out()))["groups"][0].toObject();
    EXPECT_EQ(group["paths_bytes"].toArray(), QJsonArray({QJsonValue::Null, "YfFvLmpwZw=="}));
}

TEST(JsonOutput, GivesAConfirmedGroupEachMembersHashDistanceAndGreyCorrelationBesideItsKeyDistance)
{
    CapturedConsole captured;
    JsonOutput output(captured.console(), "pictures");
    output.groups({{"1.", {"a.jpg", "b.jpg"}, {0, 12}, {0, 5}, {1.0, 0.93749}}, {"2.", {"c.jpg"}, {0}}});
    output.finish();
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(captured.out()));
    const QJsonObject confirmed = document["groups"][0].toObject();
    EXPECT_EQ(confirmed["distances"].toArray(), QJsonArray({0, 12}));
    EXPECT_EQ(confirmed["hash_distances"].toArray(), QJsonArray({0, 5}));
    EXPECT_EQ(confirmed["grey_correlations"].toArray(), QJsonArray({1.0, 0.937}));
    EXPECT_FALSE(document["groups"][1].toObject().contains("hash_distances")); // equal keys, unconfirmed
}

TEST(JsonOutput, MakesAValidDocumentWithAndWithoutPicturesAndNoneWithoutEither)
{
    const PictureResult failed{"x", std::nullopt, "e"};
    const auto document = [&](const std::function<void(Output&)>& write) {
        CapturedConsole captured;
        JsonOutput output(captured.console(), "pictures");
        write(output);
        return captured.out();
    };
    const std::string empty = document([](Output& output) { output.groups({}); output.finish(); });
    const std::string two = document([&](Output& output) {
        output.picture(failed);
        output.picture(failed);
        output.finish();
    });
    for (const std::string& text : {empty, two}) {
        QJsonParseError error;
        const QJsonDocument parsed = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
        EXPECT_TRUE(parsed.object().contains("pictures")) << text;
    }
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(two)).object()["pictures"].toArray().size(), 2);
    EXPECT_EQ(document([](Output&) {}), "");
}

} // namespace
} // namespace velsaro::cli
