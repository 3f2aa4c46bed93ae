#include "game/start_report.h"

#include "game/messages.h"
#include "platform/cp1252.h"

namespace game {

StartReport startReport(platform::StartProblem problem) {
    using platform::StartProblem;
    switch (problem) {
    case StartProblem::None:
        break;
    case StartProblem::DataMissing:
        return {"GDDADFAL", "GDREINST"};
    case StartProblem::DataUnreadable:
        return {"GDDADLER", "GDREINST"};
    case StartProblem::ConfigUnreadable:
        return {"GDCFGLER", "GDCFGCOR"};
    case StartProblem::ConfigEmpty:
        return {"GDCFGVAZ", "GDCFGCOR"};
    case StartProblem::ConfigDamaged:
        return {"GDCFGERR", "GDCFGCOR"};
    }
    return {nullptr, nullptr};
}

bool isConfigProblem(platform::StartProblem problem) {
    using platform::StartProblem;
    return problem == StartProblem::ConfigUnreadable || problem == StartProblem::ConfigEmpty ||
           problem == StartProblem::ConfigDamaged;
}

std::string startReportText(const platform::StartCheck &check) {
    const StartReport report = startReport(check.problem);
    if (!report.problemKey)
        return {};
    std::string text = findMessage(report.problemKey)->text;
    if (check.problem == platform::StartProblem::ConfigDamaged)
        text += std::to_string(check.line);
    text += "\n" + platform::utf8ToCp1252(check.path) + "\n";
    text += std::string(findMessage(report.adviceKey)->text) + "\n";
    return text;
}

} // namespace game
