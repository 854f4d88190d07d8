// Any bytes read as a script, saved and read again give back the same
// lines; saving those again gives back the same bytes.
#include "CSilentPlatform.h"
#include "FuzzSupport.h"
#include "document/CDialScript.h"
#include "document/CScriptFile.h"

#include <vector>

namespace {

std::vector<std::string> Lines(const CDialScript& script)
{
    std::vector<std::string> lines;
    for (int i = 0; i < script.GetLineCount(); ++i)
        lines.push_back(script.StoredLine(i));
    return lines;
}

// Saves the script as name in the scratch folder and reads it back.
std::string SaveAs(CDialScript& script, const std::string& name)
{
    script.SetDirectory(ScratchDir());
    script.SetName(name);
    FUZZ_CHECK(script.Save());
    const auto bytes = CScriptFile::Read(ScratchDir() + name + CDialScript::Extension);
    FUZZ_CHECK(bytes.has_value());
    return *bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CSilentPlatform platform; // documents made once: see fuzz_script.cpp
    static CDialScript read(platform);
    static CDialScript again(platform);
    if (!read.Load(ScratchFile("in.dsq", data, size)))
        return 0; // larger than the limit
    const std::string saved = SaveAs(read, "saved");
    FUZZ_CHECK(again.Load(ScratchDir() + "saved.dsq"));
    FUZZ_CHECK(Lines(again) == Lines(read));
    FUZZ_CHECK(SaveAs(again, "again") == saved);
    return 0;
}
