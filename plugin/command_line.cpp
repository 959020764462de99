#include "command_line.h"

namespace arl::plugin {

namespace {

struct Token {
  std::string text;
  bool startsQuoted = false;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits at blanks outside quotes; quotes may open and close anywhere inside a token.
bool Tokenize(std::string_view line, std::vector<Token>& tokens) {
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return true;
    Token token;
    token.startsQuoted = line[i] == '"';
    bool quoted = false;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
      if (line[i] != '"') {
        token.text += line[i];
      } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        token.text += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    }
    if (quoted) return false;
    tokens.push_back(std::move(token));
  }
}

bool ApplySwitch(const std::string& name, Command& command) {
  if (name == "hide" || name == "y") return true;
  if (name == "aoa" || name == "aos") {
    command.overwrite = name == "aoa";
    return true;
  }
  if (name == "r") {
    command.recurse = true;
    return true;
  }
  if (!name.empty() && name[0] == 'o') {
    command.hasOutputDir = true;
    command.outputDir = name.substr(1);
    return true;
  }
  return false;
}

}  // namespace

Command ParseCommandLine(std::string_view line) {
  Command command;
  std::vector<Token> tokens;
  if (!Tokenize(line, tokens)) {
    command.problem = "unterminated quote in the command line";
    return command;
  }
  if (tokens.empty()) {
    command.problem = "empty command line";
    return command;
  }
  const std::string& verb = tokens.front().text;
  if (verb.size() != 1 || (verb[0] != 'x' && verb[0] != 'e' && verb[0] != 'a') ||
      tokens.front().startsQuoted) {
    command.problem = "unsupported command: " + verb;
    return command;
  }
  command.verb = verb[0];
  for (std::size_t t = 1; t < tokens.size(); ++t) {
    const Token& token = tokens[t];
    if (token.startsQuoted || token.text.size() < 2 || token.text[0] != '-') {
      command.args.push_back(token.text);
    } else if (!ApplySwitch(token.text.substr(1), command)) {
      command.problem = "unsupported switch: " + token.text;
      return command;
    }
  }
  return command;
}

}  // namespace arl::plugin
