#include "app/check_output.h"

#include <cstdio>

namespace tsuzuri {
namespace {

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string jsonString(std::string_view text) {
    std::string out;
    appendJsonString(out, text);
    return out;
}

// Text as it may go to a terminal: control characters (a game's escape sequences among them)
// written as \xNN.
std::string shownInTerminal(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

// A file name as a relative URI reference: every byte but the unreserved ones and "/"
// percent-encoded, so blanks, "#", "%" and non-ASCII names stay part of the path.
std::string uriReference(std::string_view path) {
    std::string uri;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' ||
                           c == '~' || c == '/';
        if (plain) {
            uri += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            uri += escaped;
        }
    }
    return uri;
}

}  // namespace

std::string findingAsText(const Diagnostic& finding) {
    return shownInTerminal(finding.file) + ":" + std::to_string(finding.line) + ":" +
           std::to_string(finding.column) + ": " + severityName(finding.severity) + ": " +
           shownInTerminal(finding.message) + " [" + finding.code + "]\n";
}

std::string findingsAsJson(const std::vector<Diagnostic>& findings) {
    std::string out = "[";
    for (size_t i = 0; i < findings.size(); ++i) {
        const Diagnostic& finding = findings[i];
        out += i == 0 ? "\n  {\"file\": " : ",\n  {\"file\": ";
        appendJsonString(out, finding.file);
        out += ", \"line\": " + std::to_string(finding.line) +
               ", \"column\": " + std::to_string(finding.column) + ", \"severity\": ";
        appendJsonString(out, severityName(finding.severity));
        out += ", \"code\": ";
        appendJsonString(out, finding.code);
        out += ", \"message\": ";
        appendJsonString(out, finding.message);
        out += "}";
    }
    return out + (findings.empty() ? "]\n" : "\n]\n");
}

std::string findingsAsSarif(const std::vector<Diagnostic>& findings, std::string_view toolVersion) {
    const std::span<const CheckRule> rules = checkRules();
    std::string out =
        "{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n"
        "  \"version\": \"2.1.0\",\n  \"runs\": [{\n    \"tool\": {\"driver\": {\"name\": "
        "\"tsuzuri\", \"version\": " +
        jsonString(toolVersion) + ", \"rules\": [";
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const std::string help = jsonString(rules[i].help);
        out += std::string(i == 0 ? "\n" : ",\n") + "      {\"id\": " + jsonString(rules[i].code) +
               ", \"shortDescription\": {\"text\": " + help + "}, \"help\": {\"text\": " + help +
               "}, \"defaultConfiguration\": {\"level\": " +
               jsonString(severityName(rules[i].severity)) + "}}";
    }
    out += "]}},\n    \"columnKind\": \"unicodeCodePoints\",\n    \"results\": [";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Diagnostic& finding = findings[i];
        std::size_t ruleIndex = 0;
        while (ruleIndex < rules.size() && rules[ruleIndex].code != finding.code) {
            ++ruleIndex;
        }
        out += std::string(i == 0 ? "\n" : ",\n") +
               "      {\"ruleId\": " + jsonString(finding.code) +
               (ruleIndex < rules.size() ? ", \"ruleIndex\": " + std::to_string(ruleIndex) : "") +
               ", \"level\": " + jsonString(severityName(finding.severity)) +
               ", \"message\": {\"text\": " + jsonString(finding.message) +
               "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": " +
               jsonString(uriReference(finding.file)) +
               "}, \"region\": {\"startLine\": " + std::to_string(finding.line) +
               ", \"startColumn\": " + std::to_string(finding.column) + "}}}]}";
    }
    return out + (findings.empty() ? "]\n  }]\n}\n" : "\n    ]\n  }]\n}\n");
}

std::string findingCounts(int errors, int warnings, int notes) {
    const auto counted = [](int count, const char* word) {
        return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
    };
    return counted(errors, "error") + ", " + counted(warnings, "warning") + ", " +
           counted(notes, "note");
}

}  // namespace tsuzuri
