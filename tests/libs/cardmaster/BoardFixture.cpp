#include "BoardFixture.h"

#include "RegistryStore.h"

#include <orxboard/kdi3.h>

#include <dlfcn.h>

#include <cstdlib>

namespace {

const char* const kDrivers[4] = {"libkdi_usb.so", "libkdi_dpram.so", "libkdi_pci.so", "libkdi_card.so"};

}  // namespace

void BoardFixture::SetUp()
{
    ASSERT_TRUE(m_bus.create("ovro-cardmaster-test"));
    ::setenv("XDG_CONFIG_HOME", configDir().c_str(), 1);
    ::setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);
    for (int i = 0; i < 4; ++i) {
        drivers[i] = dlopen((std::string(OVRO_BIN_DIR "/") + kDrivers[i]).c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(drivers[i], nullptr) << dlerror();
    }
    peer = std::make_unique<ovro::test::ScriptedPeer>(kBus, kNode, 500000);
    ASSERT_TRUE(peer->isOpen());
    clearJournal();
}

void BoardFixture::TearDown()
{
    releaseAll();
    peer.reset();
    for (void*& d : drivers)
        if (d) {
            dlclose(d);
            d = nullptr;
        }
    m_bus.remove();
    ::unsetenv("XDG_CONFIG_HOME");
}

std::uint16_t BoardFixture::open(std::uint32_t type, COP_CM_RESULT* result)
{
    std::uint16_t h = 0;
    std::uint32_t entry = 0;
    COP_CM_RESULT r = COP_InitBoard(&h, &type, &entry);
    if (result)
        *result = r;
    if (r == CM_OK && handleCount < 8)
        handles[handleCount++] = h;
    return h;
}

std::uint16_t BoardFixture::openStick()
{
    COP_CM_RESULT r = 1;
    std::uint16_t h = open(kStick, &r);
    EXPECT_EQ(r, CM_OK);
    EXPECT_EQ(COP_InitInterface(h, 0, COP_BAUD_500, 0, 0), CM_OK);
    return h;
}

void BoardFixture::releaseAll()
{
    for (int i = 0; i < handleCount; ++i)
        COP_ReleaseBoard(handles[i]);
    handleCount = 0;
}

std::uint32_t BoardFixture::entryOf(std::uint32_t type)
{
    orx::RegistryFile file;
    if (orx::RegistryStore::load(file) != ORX_OK)
        return 0;
    const orx::RegistryEntry* e = file.findType(type);
    return e ? e->number : 0;
}

void BoardFixture::setVariable(std::uint32_t type, const char* name, const std::string& value)
{
    ASSERT_EQ(orx::RegistryStore::update([&](orx::RegistryFile& file) {
                  const orx::RegistryEntry* e = file.findType(type);
                  return e && file.setVariable(e->number, name, value) ? ORX_OK : ORX_ERR_NOT_FOUND;
              }),
              ORX_OK);
}

void BoardFixture::setRegistryValue(const char* name, const std::string& value)
{
    // [Registry] holds Default and Selection; the file is rewritten with the change.
    orx::RegistryFile file;
    ASSERT_EQ(orx::RegistryStore::load(file), ORX_OK);
    std::string text = file.format();
    std::string key = std::string("\n") + name + "=";
    std::size_t at = text.find(key);
    ASSERT_NE(at, std::string::npos);
    std::size_t end = text.find('\n', at + 1);
    text.replace(at, end - at, key + value);
    ASSERT_EQ(orx::RegistryStore::update([&](orx::RegistryFile& f) {
                  return f.parse(text, nullptr) ? ORX_OK : ORX_ERR_FORMAT;
              }),
              ORX_OK);
}

void BoardFixture::deleteEntry(std::uint32_t type)
{
    ASSERT_EQ(orx::RegistryStore::update([&](orx::RegistryFile& file) {
                  const orx::RegistryEntry* e = file.findType(type);
                  return e && file.removeEntry(e->number) ? ORX_OK : ORX_ERR_NOT_FOUND;
              }),
              ORX_OK);
}

std::string BoardFixture::journal(const char* driver)
{
    for (int i = 0; i < 4; ++i) {
        if (std::string(kDrivers[i]) != driver)
            continue;
        auto get = reinterpret_cast<KDIX_Journal_t>(dlsym(drivers[i], "KDIX_Journal"));
        std::string text(get(nullptr, 0) + 1, '\0');
        get(text.data(), static_cast<std::uint32_t>(text.size()));
        text.resize(text.size() - 1);
        return text;
    }
    return "";
}

void BoardFixture::clearJournal(const char* driver)
{
    for (int i = 0; i < 4; ++i)
        if (std::string(kDrivers[i]) == driver)
            reinterpret_cast<KDIX_ClearJournal_t>(dlsym(drivers[i], "KDIX_ClearJournal"))();
}

std::string journalAfter(const std::string& journal, const std::string& from)
{
    std::size_t at = journal.rfind("\n" + from);
    at = at == std::string::npos ? (journal.rfind(from, 0) == 0 ? 0 : std::string::npos) : at + 1;
    if (at == std::string::npos)
        return "";
    std::size_t next = journal.find('\n', at);
    return next == std::string::npos ? "" : journal.substr(next + 1);
}
