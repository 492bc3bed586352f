#include "app/automation/AutomationClasses.h"

#include "app/automation/I_CINIFileSupport.h"
#include "app/automation/I_GenAcquisition.h"
#include "app/automation/I_GenMainToolbars.h"
#include "app/automation/I_GenMenu.h"
#include "app/automation/I_GenTimers.h"
#include "app/automation/I_GenVersion.h"
#include "app/automation/I_GenWindows.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/TypeLibraryEnums.h"
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

void registerHarluneAutomation(platform::automation::ClassRegistry& registry)
{
    platform::automation::registerProgramEnumerations(registry);
    bind<I_CINIFileSupport>(registry, "I_CINIFileSupport");
    bind<I_GenAcquisition>(registry, "I_GenAcquisition");
    bind<I_GenMainToolbars>(registry, "I_GenMainToolbars");
    bind<I_GenMenu>(registry, "I_GenMenu");
    bind<I_GenTimers>(registry, "I_GenTimers");
    bind<I_GenVersion>(registry, "I_GenVersion");
    bind<I_GenWindows>(registry, "I_GenWindows");
}
