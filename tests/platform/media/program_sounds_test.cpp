// The program's own sounds: compiled in as resources in the exact format, played through the
// mixer, a new one replacing one still sounding.

#include "archive/error.h"
#include "media_test_support.h"

#include <QFile>

#include <cmath>
#include <cstring>

namespace hc::test::media {
namespace {

std::uint32_t little(const QByteArray& bytes, int at, int count) {
    std::uint32_t v = 0;
    for (int i = 0; i < count; ++i) {
        v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    }
    return v;
}

QByteArray resource(const char* name) {
    QFile file(QStringLiteral(":/sounds/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

TEST(ProgramSoundsTest, ResourcesAreEightBitMonoPcmOfTheExactSizes) {
    struct Row {
        const char* name;
        std::uint32_t bytes;
    };
    for (const Row& row : {Row{"IDWAV_CLICK", 808}, Row{"IDWAV_BYE", 14628}}) {
        SCOPED_TRACE(row.name);
        const QByteArray wave = resource(row.name);
        ASSERT_EQ(wave.size(), 44 + static_cast<qsizetype>(row.bytes));
        EXPECT_EQ(wave.left(4), "RIFF");
        EXPECT_EQ(little(wave, 4, 4), 36 + row.bytes);
        EXPECT_EQ(wave.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(little(wave, 20, 2), 1u);     // PCM
        EXPECT_EQ(little(wave, 22, 2), 1u);     // one channel
        EXPECT_EQ(little(wave, 24, 4), 11025u); // samples per second
        EXPECT_EQ(little(wave, 34, 2), 8u);     // bits
        EXPECT_EQ(wave.mid(36, 4), "data");
        EXPECT_EQ(little(wave, 40, 4), row.bytes);

        // Audible, not clipped, and silent at the end (no click when it stops).
        int peak = 0;
        for (qsizetype i = 44; i < wave.size(); ++i) {
            peak = std::max(peak, std::abs(static_cast<std::uint8_t>(wave[i]) - 128));
        }
        EXPECT_GT(peak, 30);
        EXPECT_LT(peak, 127);
        EXPECT_LE(std::abs(static_cast<std::uint8_t>(wave.back()) - 128), 2);
    }
}

class ProgramSoundPlayTest : public MediaTest {};

TEST_F(ProgramSoundPlayTest, ANewSoundReplacesTheOneStillSounding) {
    const QByteArray bye = resource("IDWAV_BYE");
    m_media.playProgramSound(QStringLiteral("IDWAV_CLICK"));
    render(100); // the click is sounding
    m_media.playProgramSound(QStringLiteral("IDWAV_BYE"));
    // The click fades out over 5 ms (55 samples); after that only the farewell is heard, from
    // its beginning.
    const auto out = render(2000);
    for (int i = 60; i < 2000; ++i) {
        const float want = (static_cast<std::uint8_t>(bye[44 + i]) - 128) / 128.0f;
        ASSERT_EQ(out[i], want) << "sample " << i;
    }
    EXPECT_EQ(m_media.mixer().sourceCount(), 1u);
    render(14628);
    EXPECT_EQ(m_media.mixer().sourceCount(), 0u); // played to its end and gone
}

TEST_F(ProgramSoundPlayTest, UnknownSoundsAreAnError) {
    EXPECT_THROW(m_media.playProgramSound(QStringLiteral("IDWAV_NONE")), hc::Error);
    EXPECT_THROW(m_media.playProgramSound(QString()), hc::Error);
}

} // namespace
} // namespace hc::test::media
