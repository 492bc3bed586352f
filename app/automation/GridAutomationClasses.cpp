#include "app/automation/GridAutomationClasses.h"

#include "app/automation/I_GridClipboard.h"
#include "app/automation/I_GridData.h"
#include "app/automation/I_GridFile.h"
#include "app/automation/I_GridFormat.h"
#include "app/automation/I_GridGeneral.h"
#include "app/automation/I_GridPrint.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/win/Log.h"

namespace {

template <class C> void bind(platform::automation::ClassRegistry& registry, const char* name)
{
    // A table whose length differs from the class table's is refused: a mistake in the rows.
    if (!registry.registerClass(
            name, []() -> platform::automation::AutomationObject* { return C::create(); },
            C::table()))
        platform::win::logError("automation", "class %s was not registered", name);
}

} // namespace

void registerGridAutomation(platform::automation::ClassRegistry& registry)
{
    bind<I_GridClipboard>(registry, "I_GridClipboard");
    bind<I_GridData>(registry, "I_GridData");
    bind<I_GridFile>(registry, "I_GridFile");
    bind<I_GridFormat>(registry, "I_GridFormat");
    bind<I_GridGeneral>(registry, "I_GridGeneral");
    bind<I_GridPrint>(registry, "I_GridPrint");
}
