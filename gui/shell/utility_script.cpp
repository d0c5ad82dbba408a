#include "utility_script.h"

#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/text.h"

#include <cctype>
#include <cstring>

extern char** environ;

namespace shell {

namespace {

constexpr std::string_view kDelimiters = "%@#,";

template <typename T>
int32_t countOf(const T* array, int32_t count)
{
    return array && count > 0 ? count : 0;
}

void appendScripts(std::vector<UtilityItem>& items, const engine::ScriptEntry* scripts, int32_t count)
{
    for (int32_t i = 0; i < countOf(scripts, count) && static_cast<int>(items.size()) < kMaxUtilityItems; ++i)
        items.push_back({UnderscoresToSpaces(engine::textOf(scripts[i].name)), engine::textString(scripts[i].command)});
}

std::string fullNativePath(std::string_view stored)
{
    if (stored.empty())
        return {};
    return engine::MakeNativePath(engine::ResolvePath(engine::MakeNativePath(stored)));
}

std::string escapeValue(const std::string& value)
{
    std::string escaped = engine::ReplaceText(value, "$", "$$");
    escaped = engine::ReplaceText(escaped, "_", "__");
    return engine::ReplaceText(escaped, " ", "_");
}

bool isBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::vector<UtilityItem> UtilityMenuItems(const engine::ConfigRecord& config, const engine::CpuRecord* cpu)
{
    std::vector<UtilityItem> items;
    appendScripts(items, config.scripts, config.scriptCount);
    if (cpu)
        appendScripts(items, cpu->kernel.scripts, cpu->kernel.scriptCount);
    return items;
}

std::string UnderscoresToSpaces(std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '_') {
            result += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '_') {
            result += '_';
            ++i;
        } else {
            result += ' ';
        }
    }
    return result;
}

EnvironmentList UtilityVariables(const engine::ProjectRecord& project, const engine::CpuRecord* cpu,
                                 const engine::ApplicationRecord* application)
{
    const std::string pf = fullNativePath(engine::textOf(project.path));
    const std::string cf = cpu ? fullNativePath(engine::textOf(cpu->kernel.kernelPath)) : std::string();
    const std::string af = application ? fullNativePath(engine::textOf(application->path)) : std::string();
    return {
        {"pf", pf},
        {"pd", engine::DirectoryOfPath(pf)},
        {"pn", engine::textString(project.path)},
        {"cf", cf},
        {"cd", engine::DirectoryOfPath(cf)},
        {"cn", cpu ? engine::textString(cpu->kernel.kernelPath) : std::string()},
        {"af", af},
        {"ad", engine::DirectoryOfPath(af)},
        {"an", application ? engine::textString(application->name) : std::string()},
    };
}

std::string LookupVariable(const EnvironmentList& variables, const std::string& name)
{
    for (const auto& [key, value] : variables) {
        if (key == name)
            return value;
    }
    for (const auto& [key, value] : variables) {
        if (engine::EqualNoCase(key, name))
            return value;
    }
    return engine::GetEnvironmentText(name.c_str());
}

std::vector<std::string> ChildEnvironment(const EnvironmentList& variables)
{
    std::vector<std::string> result;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& variable : variables)
            replaced = replaced || variable.first == name;
        if (!replaced)
            result.push_back(text);
    }
    for (const auto& [name, value] : variables)
        result.push_back(name + "=" + value);
    return result;
}

std::string ExpandMarkers(std::string command, std::string_view opener, bool escape, const EnvironmentLookup& lookup)
{
    std::size_t from = 0;
    // Each pass inserts a value and goes on behind it, so the loop ends; the bound guards the rest.
    for (std::size_t guard = 0; guard <= command.size() + 1 && from < command.size(); ++guard) {
        const std::size_t p = command.find(opener, from);
        if (p == std::string::npos)
            break;
        const std::size_t close = command.find('}', p + opener.size());
        const std::size_t end = close == std::string::npos ? command.size() : close + 1;
        const std::size_t nameEnd = close == std::string::npos ? command.size() : close;
        const std::string name =
            engine::TrimText(std::string_view(command).substr(p + opener.size(), nameEnd - p - opener.size()), true,
                             true);
        std::string value = lookup ? lookup(name) : std::string();
        if (escape)
            value = escapeValue(value);
        command.replace(p, end - p, value);
        from = p + value.size();
    }
    return command;
}

ParsedUtility ParseUtilityCommand(const std::string& source, const EnvironmentLookup& lookup)
{
    ParsedUtility parsed;
    std::string command = source;
    if (!command.empty() && command[0] == '&') {
        parsed.pipeMode = false;
        command.erase(0, 1);
    }
    command = ExpandMarkers(std::move(command), "&{", true, lookup);

    std::size_t pos = 0;
    while (pos < command.size() && static_cast<int>(parsed.requests.size()) < kMaxUtilityRequests) {
        const char c = command[pos];
        if (c != '$') {
            parsed.displayText += c;
            ++pos;
            continue;
        }
        const char next = pos + 1 < command.size() ? command[pos + 1] : '\0';
        if (next == '$') {
            command.erase(pos, 1);
            parsed.displayText += '$';
            ++pos;
            continue;
        }
        if (next == '{') {
            const std::size_t close = command.find('}', pos);
            const std::size_t end = close == std::string::npos ? command.size() : close + 1;
            parsed.displayText += command.substr(pos, end - pos);
            pos = end;
            continue;
        }
        // A request: up to white space, a "${" or the end.
        const std::size_t s = pos;
        std::size_t j = s + 1;
        while (j < command.size() && !isBlank(command[j]) &&
               !(command[j] == '$' && j + 1 < command.size() && command[j + 1] == '{'))
            ++j;
        const std::string spec = command.substr(s + 1, j - s - 1);
        const std::string prompt =
            UnderscoresToSpaces(engine::TrimText(spec.substr(0, spec.find_first_of(kDelimiters)), true, true));
        if (prompt.empty()) {
            pos = s + 1;
            continue;
        }
        UtilityRequest request;
        request.prompt = prompt;
        request.type = engine::TakeTextAfterChar(spec, '%', kDelimiters);
        if (request.type.empty())
            request.type = "s";
        else if (std::string_view("nxbofds").find(request.type[0]) == std::string_view::npos)
            request.type[0] = 's';
        request.minimum = engine::ParseNumber(engine::TakeTextAfterChar(spec, '#', kDelimiters));
        request.maximum = engine::ParseNumber(engine::TakeTextAfterChar(spec, ',', kDelimiters));
        request.value = UnderscoresToSpaces(engine::TrimText(engine::TakeTextAfterChar(spec, '@', kDelimiters), true, true));
        if (request.type[0] == 'b') {
            const char first = request.value.empty()
                                   ? '\0'
                                   : static_cast<char>(std::tolower(static_cast<unsigned char>(request.value[0])));
            request.value = std::strchr("1yt+", first) && first ? "1" : "0";
        }
        request.position = s;
        request.length = j - s;
        parsed.displayText += "<" + prompt + ">";
        parsed.requests.push_back(std::move(request));
        pos = j;
    }
    parsed.command = std::move(command);
    return parsed;
}

std::string RequestReplacement(const UtilityRequest& request)
{
    if (request.type.empty() || request.type[0] != 'b')
        return request.value;
    std::size_t bar = request.type.find('|', 1);
    if (bar == std::string::npos)
        bar = request.type.size();
    const bool on = engine::ParseNumber(request.value) != 0;
    const std::string text = on ? (bar < request.type.size() ? request.type.substr(bar + 1) : std::string())
                                : request.type.substr(1, bar - 1);
    return UnderscoresToSpaces(text);
}

std::string FinishUtilityCommand(const ParsedUtility& parsed, const EnvironmentLookup& lookup)
{
    std::string command = parsed.command;
    for (auto it = parsed.requests.rbegin(); it != parsed.requests.rend(); ++it) {
        if (it->position > command.size())
            continue;
        command.replace(it->position, it->length, RequestReplacement(*it));
    }
    return ExpandMarkers(std::move(command), "${", false, lookup);
}

} // namespace shell
