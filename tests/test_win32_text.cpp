// Wide text from the program's code page, and objects made by class id.
#include <gtest/gtest.h>

#include "com/class_registry.h"
#include "dmusic/dmusici.h"
#include "support/test_support.h"

namespace {

TEST(MultiByteToWideChar, ConvertsTheCodePageWithTheTerminatorAndSizes) {
    std::string text = "曲/ambient.mid";  // one double-byte character
    WCHAR wide[32];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0), 14);
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 32), 14);
    EXPECT_EQ(wide[0], u'曲');
    EXPECT_EQ(std::u16string(wide), u"曲/ambient.mid");
    // A CP932 character whose second byte is '\' stays one character.
    std::string so = "ソ";  // CP932 bytes: the literals are compiled to the code page
    ASSERT_EQ(so.size(), 2u);
    EXPECT_EQ(so[1], '\\');
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, so.c_str(), 2, wide, 32), 1);
    EXPECT_EQ(wide[0], u'ソ');
    // An explicit length converts no terminator; a short buffer gets nothing.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, wide, 32), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcdef", -1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xC3\xA9", -1, wide, 4), 2);
    EXPECT_EQ(wide[0], char16_t(0xE9));  // é
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", -1, wide, 4), 0);
}

HRESULT MakeNothing(REFIID, void** object) {
    *object = nullptr;
    return E_OUTOFMEMORY;
}

TEST(CoCreateInstance, MakesRegisteredClassesInProcessOnly) {
    IDirectMusicLoader8* loader = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicLoader8,
                               (void**)&loader),
              S_OK);
    ASSERT_NE(loader, nullptr);
    // The one reference the caller got is the last one.
    EXPECT_EQ(loader->AddRef(), 2u);
    EXPECT_EQ(loader->Release(), 1u);
    EXPECT_EQ(loader->Release(), 0u);

    void* object = &loader;
    EXPECT_EQ(CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicSegment8, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(IID_IUnknown, nullptr, CLSCTX_INPROC, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    IUnknown* outer = reinterpret_cast<IUnknown*>(&object);
    EXPECT_EQ(CoCreateInstance(CLSID_DirectMusicLoader, outer, CLSCTX_INPROC, IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);

    nol::com::ComOverrideClass(CLSID_DirectMusicLoader, MakeNothing);
    EXPECT_EQ(CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_ALL, IID_IUnknown, &object), E_OUTOFMEMORY);
    nol::com::ComOverrideClass(CLSID_DirectMusicLoader, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
}

}  // namespace
