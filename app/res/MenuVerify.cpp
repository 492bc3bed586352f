#include "app/res/MenuVerify.h"

#include <vector>

namespace app::res {

std::span<const MenuVerifyMember> menuVerifyMembers()
{
    // Built once from the type library's description, which holds the one list of members.
    static const std::vector<platform::automation::EnumDescription> enumerations =
        platform::automation::programEnumerations();
    static const std::vector<MenuVerifyMember> members = [] {
        std::vector<MenuVerifyMember> list;
        for (const auto& enumeration : enumerations) {
            if (enumeration.name != "MENUVERIFY")
                continue;
            for (const auto& [name, value] : enumeration.values)
                list.push_back({name.c_str(), value});
        }
        return list;
    }();
    return members;
}

} // namespace app::res
