#include "cli/command_line.h"

#include <cstddef>
#include <utility>

#include "engine/levels.h"

namespace brelvoxan::cli {

namespace {

// An argument is echoed back at most this long, so a refusal stays one readable line.
constexpr size_t kMaxEchoLength = 40;

}  // namespace

OptionRule wholeNumberOption(std::string name, const std::string& what, uint64_t low,
                             uint64_t high) {
  return {std::move(name),
          1,
          what + " from " + std::to_string(low) + " to " + std::to_string(high),
          true,
          low,
          high};
}

OptionRule levelOption() {
  return wholeNumberOption("--level", "a level", engine::kMinLevel, engine::kMaxLevel);
}

OptionRule seedOption() {
  return wholeNumberOption("--seed", "a whole number", 0, UINT64_MAX);
}

OptionRule settingsOption() {
  return {"--settings", 1, "a folder", false};
}

OptionRule resetResultsOption() {
  return {"--reset-results", 0, ""};
}

std::string printable(const std::string& argument) {
  std::string shown;
  for (const char c : argument.substr(0, kMaxEchoLength)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += (byte >= 0x20 && byte < 0x7F) ? c : '?';
  }
  if (argument.size() > kMaxEchoLength) shown += "...";
  return shown;
}

std::string refuseValue(const OptionRule& rule, const std::string& value) {
  return rule.name + " takes " + rule.wants + ", not '" + printable(value) + "'";
}

const CommandLine::Given* CommandLine::find(std::string_view name) const {
  for (const Given& g : given) {
    if (g.name == name) return &g;
  }
  return nullptr;
}

std::optional<uint64_t> CommandLine::number(std::string_view name, size_t index) const {
  const Given* g = find(name);
  if (g == nullptr || index >= g->values.size()) return std::nullopt;
  return parseWholeNumber(g->values[index], 0, UINT64_MAX);
}

CommandLine readCommandLine(const std::vector<std::string>& arguments,
                            const std::vector<OptionRule>& rules) {
  CommandLine line;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const OptionRule* rule = nullptr;
    std::vector<std::string> values;
    for (const OptionRule& candidate : rules) {
      if (argument == candidate.name) {
        rule = &candidate;
        const auto count = static_cast<size_t>(candidate.valueCount);
        if (arguments.size() - i - 1 < count) {
          line.refusal = candidate.name + " needs " + candidate.wants;
          return line;
        }
        values.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i + 1),
                      arguments.begin() + static_cast<std::ptrdiff_t>(i + 1 + count));
        i += count;
      } else if (candidate.valueCount == 1 && argument.rfind(candidate.name + "=", 0) == 0) {
        rule = &candidate;
        values = {argument.substr(candidate.name.size() + 1)};
      }
    }
    if (rule == nullptr) {
      line.refusal =
          (!argument.empty() && argument[0] == '-' ? "unknown option '" : "unexpected argument '") +
          printable(argument) + "'";
      return line;
    }
    for (const std::string& value : values) {
      const bool valid = rule->number ? parseWholeNumber(value, rule->low, rule->high).has_value()
                                      : !value.empty();
      if (!valid) {
        line.refusal = refuseValue(*rule, value);
        return line;
      }
    }
    std::erase_if(line.given, [&](const CommandLine::Given& g) { return g.name == rule->name; });
    line.given.push_back({rule->name, std::move(values)});
    if (rule->endsLine) return line;
  }
  return line;
}

std::optional<uint64_t> parseWholeNumber(const std::string& value, uint64_t low, uint64_t high) {
  if (value.empty() || value.size() > 20) return std::nullopt;
  uint64_t n = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (n > (UINT64_MAX - digit) / 10) return std::nullopt;
    n = n * 10 + digit;
  }
  if (n < low || n > high) return std::nullopt;
  return n;
}

}  // namespace brelvoxan::cli
