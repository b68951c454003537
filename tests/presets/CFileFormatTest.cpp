#include "presets/CFileFormat.h"
#include "utilities/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using KavrenTest::TempFolder;

namespace {

struct Loaded {
    void* data = nullptr;
    std::int32_t size = 0;
    std::string bytes() const {
        return data ? std::string(static_cast<char*>(data), static_cast<std::size_t>(size)) : "<none>";
    }
};

Loaded load(Tessu::CFileFormat& format, const std::string& path) {
    Loaded loaded;
    format.load(path.c_str(), &loaded.data, &loaded.size);
    return loaded;
}

std::string loadAndFree(Tessu::CFileFormat& format, const std::string& path) {
    Loaded loaded = load(format, path);
    const std::string bytes = loaded.bytes();
    format.freeData(loaded.data);
    return bytes;
}

std::string bigEndian(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

const std::string kChunk = "QMX-kavren-Preset chunk bytes";

} // namespace

TEST(CPresetFormatFXP, WritesTheProgramHeaderBigEndian) {
    TempFolder folder;
    Tessu::CPresetFormatFXP fxp;
    const std::string path = folder / "Bright Sweep.fxp";
    fxp.save(path.c_str(), kChunk.data(), static_cast<std::int32_t>(kChunk.size()));

    std::string name("Bright Sweep");
    name.resize(28, '\0');
    const std::string expected = "CcnK" + bigEndian(static_cast<std::uint32_t>(kChunk.size()) + 52) + "FPCh" +
                                 bigEndian(1) + "Zqtk" + bigEndian(1) + bigEndian(0) + name +
                                 bigEndian(static_cast<std::uint32_t>(kChunk.size())) + kChunk;
    EXPECT_EQ(KavrenTest::readTextFile(path), expected);
    EXPECT_EQ(loadAndFree(fxp, path), kChunk);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(CPresetFormatFXP, ProgramNameKeepsTheFirst27Characters) {
    Tessu::CPresetFormatFXP fxp;
    const std::string stem = "An Unusually Long Preset Name.v2";
    const auto file = fxp.encode(("/presets/" + stem + ".fxp").c_str(), "x", 1);
    ASSERT_EQ(file.size(), 61u);
    const std::string field(reinterpret_cast<const char*>(file.data() + 28), 28);
    EXPECT_EQ(field, stem.substr(0, 27) + '\0');
}

TEST(CPresetFormatFXP, LoadsOnlyProgramsOfItsOwnId) {
    TempFolder folder;
    Tessu::CPresetFormatFXP other(('A' << 24) | ('b' << 16) | ('c' << 8) | 'd');
    Tessu::CPresetFormatFXP fxp;
    Tessu::CPresetFormatFXB fxb;
    other.save((folder / "other.fxp").c_str(), kChunk.data(), static_cast<std::int32_t>(kChunk.size()));
    fxb.save((folder / "bank.fxp").c_str(), kChunk.data(), static_cast<std::int32_t>(kChunk.size()));
    EXPECT_EQ(loadAndFree(other, folder / "other.fxp"), kChunk);
    EXPECT_EQ(load(fxp, folder / "other.fxp").bytes(), "<none>");
    EXPECT_EQ(load(fxp, folder / "bank.fxp").bytes(), "<none>");
    EXPECT_EQ(load(fxp, folder / "missing.fxp").bytes(), "<none>");

    // A chunk size that runs past the end of the file, and a file cut inside the header.
    fxp.save((folder / "good.fxp").c_str(), kChunk.data(), static_cast<std::int32_t>(kChunk.size()));
    const std::string good = KavrenTest::readTextFile(folder / "good.fxp");
    KavrenTest::writeTextFile(folder / "cut.fxp", good.substr(0, good.size() - 1));
    KavrenTest::writeTextFile(folder / "short.fxp", good.substr(0, 59));
    std::string huge = good;
    huge.replace(56, 4, bigEndian(0x7FFFFFFF));
    KavrenTest::writeTextFile(folder / "huge.fxp", huge);
    for (const char* name : {"cut.fxp", "short.fxp", "huge.fxp"}) {
        Loaded loaded;
        loaded.size = -5;
        fxp.load((folder / name).c_str(), &loaded.data, &loaded.size);
        EXPECT_EQ(loaded.data, nullptr) << name;
        EXPECT_EQ(loaded.size, -5) << name;
    }
    // Trailing bytes after the chunk do no harm.
    KavrenTest::writeTextFile(folder / "trailing.fxp", good + "junk");
    EXPECT_EQ(loadAndFree(fxp, folder / "trailing.fxp"), kChunk);
}

TEST(CPresetFormatFXP, SaveWithoutChunkOrFolderWritesNothing) {
    TempFolder folder;
    Tessu::CPresetFormatFXP fxp;
    fxp.save((folder / "empty.fxp").c_str(), nullptr, 10);
    fxp.save((folder / "zero.fxp").c_str(), "x", 0);
    fxp.save((folder / "missing/x.fxp").c_str(), "x", 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(CPresetFormatFXB, WritesTheBankHeader) {
    TempFolder folder;
    Tessu::CPresetFormatFXB fxb;
    fxb.save((folder / "bank.fxb").c_str(), kChunk.data(), static_cast<std::int32_t>(kChunk.size()));
    const std::string expected = "CcnK" + bigEndian(static_cast<std::uint32_t>(kChunk.size()) + 152) +
                                 "FBCh" + bigEndian(1) + "Zqtk" + bigEndian(1) + bigEndian(0) +
                                 std::string(128, '\0') +
                                 bigEndian(static_cast<std::uint32_t>(kChunk.size())) + kChunk;
    EXPECT_EQ(KavrenTest::readTextFile(folder / "bank.fxb"), expected);
    EXPECT_EQ(loadAndFree(fxb, folder / "bank.fxb"), kChunk);
    Tessu::CPresetFormatFXP fxp;
    fxp.save((folder / "program.fxb").c_str(), kChunk.data(), static_cast<std::int32_t>(kChunk.size()));
    EXPECT_EQ(load(fxb, folder / "program.fxb").bytes(), "<none>");
}

TEST(CFileFormat, RawFormatKeepsTheBytesAsTheyAre) {
    TempFolder folder;
    Tessu::CFileFormat& raw = Tessu::rawFileFormat();
    raw.save((folder / "raw.bin").c_str(), "a\0b", 3);
    EXPECT_EQ(loadAndFree(raw, folder / "raw.bin"), std::string("a\0b", 3));
    raw.freeData(nullptr);
}
