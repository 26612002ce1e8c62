#include "platform/settingsstores/memorydefaultsstore.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"

#include "settingstestsupport.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

// What every DefaultsStore promises, checked on each implementation.
template<typename Store> class DefaultsStoreContract : public ::testing::Test {
protected:
    Store &store() { return m_store; }

private:
    testing::SettingsFolder m_folder;
    Store m_store = makeStore();

    Store makeStore()
    {
        if constexpr (std::is_same_v<Store, QSettingsDefaultsStore>)
            return Store(m_folder.path());
        else
            return Store();
    }
};

using StoreTypes = ::testing::Types<MemoryDefaultsStore, QSettingsDefaultsStore>;
TYPED_TEST_SUITE(DefaultsStoreContract, StoreTypes);

TYPED_TEST(DefaultsStoreContract, UnsetKeyReadsItsLatestRegisteredDefaultOrNothing)
{
    auto &store = this->store();
    store.registerDefaults({{QStringLiteral("size"), 12.0}, {QStringLiteral("b"), 2}});
    store.registerDefaults({{QStringLiteral("b"), 3}});

    EXPECT_EQ(store.value(QStringLiteral("size")), QVariant(12.0)) << "a later registration replaces only its keys";
    EXPECT_EQ(store.value(QStringLiteral("b")), QVariant(3));
    EXPECT_FALSE(store.contains(QStringLiteral("size")));
    EXPECT_FALSE(store.value(QStringLiteral("absent")).isValid());
    EXPECT_TRUE(store.problem().isEmpty());
}

TYPED_TEST(DefaultsStoreContract, SetValueHidesTheDefaultUntilRemoved)
{
    auto &store = this->store();
    store.registerDefaults({{QStringLiteral("flag"), true}});

    store.setValue(QStringLiteral("flag"), false);
    EXPECT_TRUE(store.contains(QStringLiteral("flag")));
    EXPECT_EQ(store.value(QStringLiteral("flag")), QVariant(false));

    store.removeValue(QStringLiteral("flag"));
    EXPECT_FALSE(store.contains(QStringLiteral("flag")));
    EXPECT_EQ(store.value(QStringLiteral("flag")), QVariant(true));

    store.setValue(QStringLiteral("flag"), false);
    store.setValue(QStringLiteral("flag"), QVariant());
    EXPECT_FALSE(store.contains(QStringLiteral("flag")));
}

TYPED_TEST(DefaultsStoreContract, TypedHelpersConvert)
{
    auto &store = this->store();
    const QVariantMap map{{QStringLiteral("Book.pdf"), 4}};
    store.setValue(QStringLiteral("flag"), true);
    store.setValue(QStringLiteral("name"), QStringLiteral("en-us"));
    store.setValue(QStringLiteral("rate"), 180.5);
    store.setValue(QStringLiteral("count"), qint64(5'000'000'000));
    store.setValue(QStringLiteral("map"), map);

    EXPECT_TRUE(store.boolForKey(QStringLiteral("flag")));
    EXPECT_EQ(store.stringForKey(QStringLiteral("name")), QStringLiteral("en-us"));
    EXPECT_DOUBLE_EQ(store.doubleForKey(QStringLiteral("rate")), 180.5);
    EXPECT_EQ(store.integerForKey(QStringLiteral("count")), 5'000'000'000);
    EXPECT_EQ(store.mapForKey(QStringLiteral("map")), map);
    EXPECT_TRUE(store.mapForKey(QStringLiteral("name")).isEmpty());
    EXPECT_FALSE(store.boolForKey(QStringLiteral("absent")));
}

} // namespace
} // namespace narrata
