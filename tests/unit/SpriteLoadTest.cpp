// Loading SPRITE files: field decoding, frame counts, wrong magic, and files
// that are cut short or claim more than they hold.
#include "ChildProcess.h"
#include "TestSupport.h"
#include "app/Scene.h"
#include "platform/portable/Program.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every header field a value of its own, the signed ones at their limits.
TestFrame SampleFrame(uint16_t seed) {
    const uint16_t key = static_cast<uint16_t>(0xF81F ^ seed);
    return {{{0xDE, 0xAD, static_cast<uint8_t>(seed), 0x00}, key, {0x7F, 0x80}, -3, 32767, -32768, 5, -2, -1, 2, 1},
            {static_cast<uint16_t>(0x1234 + seed), 0xABCD},
            {0x00, 0xFF},
            {1, 2, 3}};
}

std::vector<uint8_t> BlockBytes(const DataBlock& block) {
    return block.size == 0 ? std::vector<uint8_t>()
                           : std::vector<uint8_t>(block.data.get(), block.data.get() + block.size);
}

// Loads bytes written to a file in dir; what the loader printed goes to *printed.
bool LoadBytes(SpriteSet* set, const TempDir& dir, const std::vector<uint8_t>& bytes, std::string* printed = nullptr) {
    const std::string path = dir.File("test.spr");
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    testing::internal::CaptureStdout();
    const bool loaded = set->Load(path.c_str());
    const std::string output = testing::internal::GetCapturedStdout();
    if (printed != nullptr) {
        *printed = output;
    } else {
        EXPECT_EQ(output, "");
    }
    return loaded;
}

TEST(SpriteLoad, DecodesEveryFieldLittleEndian) {
    TempDir dir;
    SpriteSet set;
    ASSERT_TRUE(LoadBytes(&set, dir, SpriteFileBytes(0x89ABCDEF, 0x01020304, 1, {SampleFrame(0)})));
    ASSERT_EQ(set.sprites.size(), 1u);
    const Sprite& sprite = set.sprites[0];
    EXPECT_EQ(sprite.headerValue1, 0x89ABCDEFu);
    EXPECT_EQ(sprite.headerValue2, 0x01020304u);
    EXPECT_EQ(sprite.frameCount, 1);
    ASSERT_EQ(sprite.frames.size(), 1u);
    const SpriteFrame& frame = sprite.frames[0];
    EXPECT_EQ(std::vector<uint8_t>(frame.spare1, frame.spare1 + 4), (std::vector<uint8_t>{0xDE, 0xAD, 0x00, 0x00}));
    EXPECT_EQ(frame.colorKey, 0xF81F);
    EXPECT_EQ(frame.spare2[0], 0x7F);
    EXPECT_EQ(frame.spare2[1], 0x80);
    EXPECT_EQ(frame.hotspotX, -3);
    EXPECT_EQ(frame.hotspotY, 32767);
    EXPECT_EQ(frame.offsetX, -32768);
    EXPECT_EQ(frame.offsetY, 5);
    EXPECT_EQ(frame.fixedX, -2);
    EXPECT_EQ(frame.fixedY, -1);
    EXPECT_EQ(frame.width, 2);
    EXPECT_EQ(frame.height, 1);
    EXPECT_EQ(BlockBytes(frame.pixelBlock), (std::vector<uint8_t>{0x34, 0x12, 0xCD, 0xAB}));
    EXPECT_EQ(BlockBytes(frame.alphaBlock), (std::vector<uint8_t>{0x00, 0xFF}));
    EXPECT_EQ(BlockBytes(frame.extraBlock), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(SpriteLoad, ZeroOrNegativeFrameCountReadsNoFrames) {
    TempDir dir;
    for (int32_t count : {0, -1, INT32_MIN}) {
        SpriteSet set;
        // A frame record follows all the same; it must not be read.
        ASSERT_TRUE(LoadBytes(&set, dir, SpriteFileBytes(1, 2, count, {SampleFrame(0)}))) << count;
        ASSERT_EQ(set.sprites.size(), 1u);
        EXPECT_EQ(set.sprites[0].frameCount, count);
        EXPECT_TRUE(set.sprites[0].frames.empty());
    }
}

TEST(SpriteLoad, FramesInFileOrderWithEmptyBlocksAndTrailingBytes) {
    TestFrame empty;
    empty.width = 7; // blocks smaller than width x height load as stored
    empty.height = 9;
    std::vector<uint8_t> bytes = SpriteFileBytes(0, 0, 3, {SampleFrame(1), empty, SampleFrame(3)});
    bytes.insert(bytes.end(), {'j', 'u', 'n', 'k'});

    TempDir dir;
    SpriteSet set;
    ASSERT_TRUE(LoadBytes(&set, dir, bytes));
    const std::vector<SpriteFrame>& frames = set.sprites.at(0).frames;
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].colorKey, 0xF81F ^ 1);
    EXPECT_EQ(frames[2].colorKey, 0xF81F ^ 3);
    EXPECT_EQ(frames[0].spare1[2], 1);
    EXPECT_EQ(frames[2].spare1[2], 3);
    EXPECT_EQ(frames[1].width, 7);
    EXPECT_EQ(frames[1].height, 9);
    for (const DataBlock* block : {&frames[1].pixelBlock, &frames[1].alphaBlock, &frames[1].extraBlock}) {
        EXPECT_EQ(block->size, 0u);
        EXPECT_EQ(block->data, nullptr);
    }
    EXPECT_EQ(BlockBytes(frames[2].pixelBlock), (std::vector<uint8_t>{0x37, 0x12, 0xCD, 0xAB}));
}

TEST(SpriteLoad, EachLoadAppendsOneSprite) {
    TempDir dir;
    SpriteSet set;
    ASSERT_TRUE(LoadBytes(&set, dir, SpriteFileBytes(11, 0, 0, {})));
    ASSERT_TRUE(LoadBytes(&set, dir, SpriteFileBytes(22, 0, 1, {SampleFrame(0)})));
    ASSERT_EQ(set.sprites.size(), 2u);
    EXPECT_EQ(set.sprites[0].headerValue1, 11u);
    EXPECT_TRUE(set.sprites[0].frames.empty());
    EXPECT_EQ(set.sprites[1].headerValue1, 22u);
    EXPECT_EQ(set.sprites[1].frames.size(), 1u);
}

// Only a regular file is read: anything else is refused at once, without
// waiting for a FIFO's writer, and quietly, as a missing file is. The program
// (RunProgram) says on standard error which file and why, control bytes
// escaped.
TEST(SpriteLoad, MissingOrSpecialFileFailsSilently) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("fifo.spr").c_str(), 0600), 0);
    const struct {
        std::string path;
        std::string shown;
        std::string reason;
    } cases[] = {
        {dir.File("absent\x1B[2J.spr"), dir.File("absent\\x1B[2J.spr"), "cannot open: No such file or directory"},
        {dir.File("fifo.spr"), dir.File("fifo.spr"), "a FIFO, not a regular file"},
        {dir.path, dir.path, "a directory, not a regular file"},
        {"/dev/null", "/dev/null", "a device, not a regular file"},
    };
    alarm(10); // a load that waits on the FIFO ends the run instead of hanging it
    for (const auto& c : cases) {
        SpriteSet set;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(set.Load(c.path.c_str()));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), ""); // said only by the program
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_TRUE(set.sprites.empty());
        ChildRun child;
        child.Run([](HeadlessState& state) { state.quitAfterFrames = 1; },
                  [&] {
                      g_girlFileName = g_backgroundFileName = c.path.c_str();
                      std::freopen("stderr.txt", "w", stderr);
                      return RunProgram();
                  });
        const std::string said = "spritedemo: " + c.shown + ": did not load (" + c.reason + ")\n";
        EXPECT_EQ(ReadFileText(child.dir.File("stderr.txt")), said + said);
    }
    alarm(0);
}

TEST(SpriteLoad, WrongMagicPrintsBig5Message) {
    struct Case {
        std::vector<uint8_t> magic;
        std::string shown;
    };
    const Case cases[] = {
        {{'S', 'P', 'R', 'I', 'T', 'E', 'X'}, "SPRITEX"},
        {{'S', 'P', 'R', 0, 'I', 'T', 'E'}, "SPR"},
        {{0, 'P', 'R', 'I', 'T', 'E', 0}, ""},
        {{'s', 'p', 'r', 'i', 't', 'e', 0}, "sprite"},
        // Control bytes escaped, so the line cannot act on a terminal; others as they are.
        {{0x1B, '[', '2', 'J', 0x7F, 0xAB, 0x44}, "\\x1B[2J\\x7F\xAB\x44"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = SpriteFileBytes(0, 0, 1, {SampleFrame(0)});
        std::copy(c.magic.begin(), c.magic.end(), bytes.begin());
        SpriteSet set;
        std::string printed;
        EXPECT_FALSE(LoadBytes(&set, dir, bytes, &printed));
        EXPECT_TRUE(set.sprites.empty());
        EXPECT_EQ(printed, "\xAB\x44Sprite\xC0\xC9 : " + c.shown + " : SPRITE\n");
    }
}

// The program outside Windows says on standard error why each sprite file did
// not load, in the reader's words, and prints nothing else of its own.
TEST(SpriteLoad, ProgramSaysWhyAFileDidNotLoad) {
    const std::vector<uint8_t> whole = SpriteFileBytes(0, 0, 1, {SampleFrame(0)});
    auto cut = [&](size_t length) { return std::vector<uint8_t>(whole.begin(), whole.begin() + ptrdiff_t(length)); };
    std::vector<uint8_t> wrongMagic = whole;
    wrongMagic[6] = 'X';
    enum class Made { Bytes, Missing, Directory };
    struct Case {
        const char* file; // the broken one; null: both load
        Made made;
        std::vector<uint8_t> bytes;
        std::string reason;
    };
    const Case cases[] = {
        {nullptr, Made::Bytes, whole, ""},
        {"girl.spr", Made::Missing, {}, "cannot open: No such file or directory"},
        {"bg.spr", Made::Directory, {}, "a directory, not a regular file"},
        {"girl.spr", Made::Bytes, wrongMagic, "byte 0: not a SPRITE file (wrong magic)"},
        {"bg.spr", Made::Bytes, cut(3), "byte 0: file ends inside the magic"},
        {"girl.spr", Made::Bytes, cut(12), "byte 7: file ends inside the header"},
        {"bg.spr", Made::Bytes, cut(30), "byte 19: file ends inside a frame header"},
        {"girl.spr", Made::Bytes, cut(45), "byte 43: file ends inside a block size"},
        {"bg.spr", Made::Bytes, cut(50), "byte 43: block is larger than the rest of the file"},
    };
    for (const Case& c : cases) {
        ChildRun child;
        const TempDir& dir = child.dir;
        ASSERT_TRUE(WriteFileBytes(dir.File("girl.spr"), whole));
        ASSERT_TRUE(WriteFileBytes(dir.File("bg.spr"), whole));
        std::string expected;
        if (c.file != nullptr) {
            std::filesystem::remove(dir.File(c.file));
            if (c.made == Made::Bytes) {
                ASSERT_TRUE(WriteFileBytes(dir.File(c.file), c.bytes));
            } else if (c.made == Made::Directory) {
                std::filesystem::create_directory(dir.File(c.file));
            }
            expected = "spritedemo: " + std::string(c.file) + ": did not load (" + c.reason + ")\n";
        }
        const ChildResult result = child.Run([](HeadlessState& state) { state.quitAfterFrames = 1; },
                                             [] {
                                                 std::freopen("stdout.txt", "w", stdout);
                                                 std::freopen("stderr.txt", "w", stderr);
                                                 return RunProgram();
                                             });
        EXPECT_TRUE(result.ExitedWith(0)) << c.reason;
        EXPECT_EQ(ReadFileText(dir.File("stderr.txt")), expected);
        // The loader's own wrong-magic line on standard output, beside the reason.
        const bool magicLine = c.file != nullptr && c.bytes == wrongMagic;
        EXPECT_EQ(ReadFileText(dir.File("stdout.txt")), magicLine ? "\xAB\x44Sprite\xC0\xC9 : SPRITEX : SPRITE\n" : "")
            << c.reason;
    }
}

// The file and the in-memory reader refuse the same way, and say where.
TEST(SpriteLoad, FileCutAtAnyByteIsRefusedWhole) {
    const std::vector<uint8_t> whole = SpriteFileBytes(5, 6, 2, {SampleFrame(1), SampleFrame(2)});
    TempDir dir;
    SpriteSet set;
    ASSERT_TRUE(LoadBytes(&set, dir, whole));
    for (size_t length = 0; length < whole.size(); ++length) {
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length));
        EXPECT_FALSE(LoadBytes(&set, dir, cut)) << "cut at " << length;
        Sprite sprite;
        SpriteReadStatus fromFile, fromMemory;
        EXPECT_FALSE(ReadSpriteFile(dir.File("test.spr").c_str(), &sprite, &fromFile));
        EXPECT_FALSE(ReadSpriteBytes(cut.data(), cut.size(), &sprite, &fromMemory));
        ASSERT_NE(fromFile.failure, nullptr);
        EXPECT_STREQ(fromFile.failure, fromMemory.failure) << "cut at " << length;
        EXPECT_EQ(fromFile.offset, fromMemory.offset) << "cut at " << length;
        EXPECT_LE(fromFile.offset, length);
    }
    EXPECT_EQ(set.sprites.size(), 1u);
}

TEST(SpriteLoad, FrameCountBeyondTheFileIsRefused) {
    TempDir dir;
    SpriteSet set;
    EXPECT_FALSE(LoadBytes(&set, dir, SpriteFileBytes(0, 0, INT32_MAX, {SampleFrame(0)})));
    EXPECT_TRUE(set.sprites.empty());
}

TEST(SpriteLoad, BlockLargerThanTheRestOfTheFileIsRefusedBeforeAllocating) {
    // Header, then a frame header whose pixel block claims nearly 4 GiB.
    std::vector<uint8_t> bytes = SpriteFileBytes(0, 0, 1, {});
    bytes.resize(bytes.size() + 24, 0);
    PutLe32(&bytes, 0xFFFFFFF0u);
    bytes.resize(bytes.size() + 16, 0xAA);

    TempDir dir;
    SpriteSet set;
    StartAllocationWatch();
    const bool loaded = LoadBytes(&set, dir, bytes);
    const size_t largest = StopAllocationWatch();
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(set.sprites.empty());
    EXPECT_LT(largest, size_t{1} << 20);
}

TEST(SpriteLoad, BlockSizeIsCheckedAgainstExactlyWhatIsLeft) {
    TempDir dir;
    SpriteSet set;
    // Blocks of 0, 1 (a 1x1 frame's alpha), 2 and 3 bytes, each followed by the extra block.
    const std::vector<uint8_t> alpha = {0x80, 0x01, 0xFE};
    for (size_t size = 0; size <= alpha.size(); ++size) {
        TestFrame frame = SampleFrame(0);
        frame.alpha.assign(alpha.begin(), alpha.begin() + static_cast<ptrdiff_t>(size));
        ASSERT_TRUE(LoadBytes(&set, dir, SpriteFileBytes(0, 0, 1, {frame}))) << size << "-byte block";
        EXPECT_EQ(BlockBytes(set.sprites.back().frames.at(0).alphaBlock), frame.alpha);
        EXPECT_EQ(BlockBytes(set.sprites.back().frames.at(0).extraBlock), frame.extra);
    }
    // The extra block of the last frame is the last thing in the file: a size
    // that claims one byte more than follows is refused, the exact one loads.
    TestFrame frame = SampleFrame(0);
    std::vector<uint8_t> bytes = SpriteFileBytes(0, 0, 1, {frame});
    const size_t extraSize = bytes.size() - frame.extra.size() - 4;
    bytes[extraSize] = static_cast<uint8_t>(frame.extra.size() + 1);
    EXPECT_FALSE(LoadBytes(&set, dir, bytes));
    bytes[extraSize] = static_cast<uint8_t>(frame.extra.size());
    EXPECT_TRUE(LoadBytes(&set, dir, bytes));
}

} // namespace
