// The file layer at offsets beyond 2 and 4 GB: the share-mode byte lies at
// 4,000,000,000, and on a 32-bit system an offset cut to 32 bits would read,
// write or lock a different place without any error.
#include <cstring>

#include "platform/data/osfile.h"
#include "tests/data/fixtures.h"

namespace kp::test {
namespace {

constexpr uint64_t k4G = 1ULL << 32;

TEST(OsFileTest, ReadsAndWritesBeyondFourGigabytesAtTheirPlace) {
    std::string path = TempDir("osfile_far") + "far.bin";
    uint32_t err = 0;
    auto f = OsFile::Create(path, OsFile::Share::Shared, &err);
    ASSERT_NE(f, nullptr) << err;
    // The file stays sparse: only two small pieces are ever written.
    ASSERT_TRUE(f->WriteAt(5, "near", 4));
    ASSERT_TRUE(f->WriteAt(k4G + 5, "far!", 4));
    EXPECT_EQ(f->Size(), static_cast<int64_t>(k4G + 9));

    char buf[4] = {};
    ASSERT_EQ(f->ReadAt(5, buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "near");  // not overwritten by the far write
    ASSERT_EQ(f->ReadAt(k4G + 5, buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "far!");
    ASSERT_EQ(f->ReadAt((1ULL << 31) + 1, buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), std::string(4, '\0'));
    EXPECT_EQ(f->ReadAt(k4G + 7, buf, 4), 2);  // short at the end

    ASSERT_TRUE(f->Truncate(k4G - 1));
    EXPECT_EQ(f->Size(), static_cast<int64_t>(k4G - 1));
    f.reset();
    OsFile::Remove(path);
}

TEST(OsFileTest, LocksBeyondTwoAndFourGigabytesAreTheirOwnBytes) {
    std::string path = TempDir("osfile_locks") + "locks.bin";
    uint32_t err = 0;
    auto a = OsFile::Create(path, OsFile::Share::Shared, &err);
    ASSERT_NE(a, nullptr) << err;
    auto b = OsFile::Open(path, OsFile::Share::Shared, OsFile::Access::ReadWrite, &err);
    ASSERT_NE(b, nullptr) << err;

    // Above 2^31: negative as a signed 32-bit offset.
    const uint64_t high = 4'100'000'000ULL;
    ASSERT_TRUE(a->TryLock(high, 1));
    EXPECT_FALSE(b->TryLock(high, 1));
    EXPECT_TRUE(b->TryLock(high + 1, 1));
    b->Unlock(high + 1, 1);

    // Above 2^32: cut to 32 bits it would be the lock byte of record 5.
    const uint64_t record5 = 1'000'000'005ULL;
    const uint64_t far = k4G + record5;
    ASSERT_TRUE(a->TryLock(far, 1));
    EXPECT_FALSE(b->TryLock(far, 1));
    EXPECT_TRUE(b->TryLock(record5, 1));
    EXPECT_FALSE(a->TryLock(record5, 1));
    b->Unlock(record5, 1);
    EXPECT_TRUE(a->TryLock(record5, 1));
    a->Unlock(record5, 1);

    a->Unlock(high, 1);
    a->Unlock(far, 1);
    EXPECT_TRUE(b->TryLock(high, 1));
    EXPECT_TRUE(b->TryLock(far, 1));
    b->Unlock(high, 1);
    b->Unlock(far, 1);

    // A third opener asking for the file alone is refused while others have it.
    auto c = OsFile::Open(path, OsFile::Share::Exclusive, OsFile::Access::ReadWrite, &err);
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(err, static_cast<uint32_t>(OSERR_SHARING_VIOLATION));
}

}  // namespace
}  // namespace kp::test
