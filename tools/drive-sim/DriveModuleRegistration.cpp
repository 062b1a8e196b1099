#include "DriveContext.h"

DriveModuleRegistration::DriveModuleRegistration(const char* name, DriveModuleFactory factory)
{
    all().emplace_back(name, std::move(factory));
}

std::vector<std::pair<std::string, DriveModuleFactory>>& DriveModuleRegistration::all()
{
    static std::vector<std::pair<std::string, DriveModuleFactory>> registry;
    return registry;
}
