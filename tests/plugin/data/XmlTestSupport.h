// Shared pieces of the projects-file and job-ticket tests: scratch folders (one can stand in
// as the plug-in's settings folder through the platform overrides), the alerts
// the host recorded, and a projects file that exercises the reader. The XML library is
// initialised once for the whole test program (see XmlTestSupport.cpp).
// Tests only, one thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Alerts.h"
#include "ProgressBars.h"
#include "TestSupport.h"
#include "platform/HfsPath.h"

namespace tsxmltest {

using tstest::ReadFile;
using tstest::WriteFile;

// A temporary folder. As a settings folder, the user's application-support folder points at
// it while it lives.
class ScratchFolder {
public:
    explicit ScratchFolder(bool asSettings = false);
    ~ScratchFolder();
    std::filesystem::path Path() const { return fDir.Path(); }
    std::filesystem::path ProjectsFile() const { return Path() / "Tessaron" / "projects.xml"; }

private:
    tstest::TempDir fDir;
    bool fSettings;
};

inline std::string HfsOf(const std::filesystem::path& posix) {
    std::string hfs;
    tsplatform::PosixToHfs(posix.string(), hfs);
    return hfs;
}

// The texts of the alerts shown since the last call, then forgets them and any progress bars.
inline std::vector<std::string> TakeAlerts() {
    std::vector<std::string> texts;
    for (const tshost::AlertRecord& record : tshost::AlertLog::Get().Records()) texts.push_back(record.text);
    tshost::AlertLog::Get().Clear();
    tshost::ProgressLog::Get().Clear();
    return texts;
}

// Hidden groups, sub-groups with and without a wrapper element (one holding a comment, a
// processing instruction, text, a CDATA section and a group inside an element of another
// name, which count as one node each), names that sort by byte,
// projects with and without ids, status codes out of list order, duplicated and unknown, and
// a page range.
inline constexpr const char* kProjectsXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<tessaron authenticated="1" type="TESSARON_UPDATE" filename="$project_code$_$file_name$">
  <projectgroups>
    <projectgroup id="10" name="beta">
      <projectgroups> <projectgroup id="11" name="Sub B"/> <projectgroup id="12" name="Sub A"/>
        <!-- c --><?p?>a&amp;b<![CDATA[c]]><x>
        <projectgroup id="13" name="In x"/></x></projectgroups>
    </projectgroup>
    <projectgroup id="20" name="alpha"/>
    <projectgroup id="30" name="Alpha"><projectgroup id="31" name="Direct"/></projectgroup>
    <projectgroup id="-1" name="Hidden"><projectgroups><projectgroup id="41" name="Unreachable"/>
    </projectgroups></projectgroup><projectgroup id="50" name=""/><projectgroup name="No id"/>
    <projectgroup id="60" name="Mixed"><projectgroup id="61" name="Child">
      <projectgroups><projectgroup id="62" name="Grandchild"/></projectgroups></projectgroup></projectgroup>
    <projectgroup id="70" name="Gr&#xfc;n"/>
  </projectgroups>
  <projects>
    <project id="100" name="Zeta" filename_text="Z100" statuscodes="2,1" project_group_id="10"><pages>
      <page pagefrom="3" pageto="5"/></pages></project>
    <project id="101" name="Eta" filename_text="E101" statuscodes="7" project_group_id="10"/>
    <project name="No id" statuscodes=" 1" project_group_id="20"/>
    <project id="104" name="Dups" statuscodes="1,1,3," project_group_id="20"/>
    <project id="103" name="Top" project_group_id="-1"/><project id="105" name="Under hidden" project_group_id="41"/>
    <project id="11" name="Same id as a group" project_group_id="30"/>
    <project id="100" name="Zeta again" project_group_id="30"/>
  </projects>
  <statuscodes>
    <statuscode id="1" name="Draft" description="First draft" bgcolor="16711680" textcolor="255"/>
    <statuscode id="2" name="Final" description="Ready" bgcolor="65280" textcolor="0"/>
    <statuscode id="3" name="Late" description="" bgcolor="1" textcolor="2"/><statuscode id="3" name="Late again"/>
  </statuscodes>
</tessaron>
)";

}  // namespace tsxmltest
