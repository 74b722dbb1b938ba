#!/bin/sh
# The editor files of docs/editors: the VS Code extension's JSON files parse and fit together,
# every regular expression of the grammar compiles (they keep to what Oniguruma and Python's re
# share, so re stands in for VS Code's engine), and the problem matcher of tasks.json, shown in
# the README too, reads the findings as the checker writes them.
set -eu
if ! command -v python3 >/dev/null 2>&1; then
    echo "SKIP: python3 is not installed"
    exit 77
fi
EDITORS="$(cd "$(dirname "$0")/../../docs/editors" && pwd)"
exec python3 - "$EDITORS" <<'EOF'
import json
import os
import re
import sys

editors = sys.argv[1]
failures = []


def load(name):
    try:
        with open(os.path.join(editors, name), encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError) as error:
        sys.exit(f"FAIL: {name}: {error}")


grammar = load("vscode/syntaxes/tsuzuri-script.tmLanguage.json")
package = load("vscode/package.json")
load("vscode/language-configuration.json")
tasks = load("vscode/tasks.json")

contributes = package["contributes"]
declared = contributes["grammars"][0]
if declared["scopeName"] != grammar["scopeName"] or grammar["scopeName"] != "source.tsuzuri-script":
    failures.append(f"scope names differ: {declared['scopeName']} / {grammar['scopeName']}")
if os.path.normpath(declared["path"]) != os.path.normpath("./syntaxes/tsuzuri-script.tmLanguage.json"):
    failures.append(f"package.json names the grammar {declared['path']}")
if declared["language"] not in [language["id"] for language in contributes["languages"]]:
    failures.append(f"the grammar's language {declared['language']} is not contributed")

expressions = 0


def walk(node, where):
    global expressions
    if isinstance(node, list):
        for i, item in enumerate(node):
            walk(item, f"{where}[{i}]")
        return
    if not isinstance(node, dict):
        return
    for key, value in node.items():
        if key in ("match", "begin", "end", "while") and isinstance(value, str):
            expressions += 1
            try:
                re.compile(value)
            except re.error as error:
                failures.append(f"{where}.{key} {value!r}: {error}")
        elif key == "include" and value.startswith("#") and value[1:] not in grammar["repository"]:
            failures.append(f"{where} includes {value}, which the repository lacks")
        else:
            walk(value, f"{where}.{key}")


walk(grammar, "grammar")
if expressions < 10:
    failures.append(f"only {expressions} expressions found in the grammar")

pattern = tasks["tasks"][0]["problemMatcher"]["pattern"]
finding = "mygame/script/start.txt:12:3: error: no label 'x' in this script [missing-label]"
match = re.match(pattern["regexp"], finding)
expected = {"file": "mygame/script/start.txt", "line": "12", "column": "3", "severity": "error",
            "message": "no label 'x' in this script [missing-label]"}
if not match:
    failures.append(f"the problem matcher misses {finding!r}")
else:
    for field, value in expected.items():
        if match.group(pattern[field]) != value:
            failures.append(f"the problem matcher reads {field} as {match.group(pattern[field])!r}")
note = re.match(pattern["regexp"], "mygame/script/start.txt:8:1: note: no jump leads to label 'a' [unused-label]")
if not note or note.group(pattern["severity"]) != "note":
    failures.append("the problem matcher misses a note")
if re.match(pattern["regexp"], "1 error, 2 warnings, 0 notes"):
    failures.append("the problem matcher takes the summary line for a finding")
with open(os.path.join(editors, "README.md"), encoding="utf-8") as f:
    if json.dumps(pattern["regexp"]) not in f.read():
        failures.append("the README shows another problem matcher than vscode/tasks.json")

for failure in failures:
    print(f"FAIL: {failure}", file=sys.stderr)
sys.exit(1 if failures else 0)
EOF
