#include "expr/expression_parser.h"

#include <utility>

#include "frame/failure.h"
#include "platform/text.h"

namespace tessary {

void ExpressionParser::buildFunctionTable(bool withClusterFunctions) {
  functions_ = &builtInFunctions(withClusterFunctions);
}

bool ExpressionParser::isFunction(std::string_view name) const {
  return functions_->find(name) != functions_->end();
}

int ExpressionParser::parameterCount(std::string_view name) const {
  auto entry = functions_->find(name);
  return entry == functions_->end() ? -1 : entry->second;
}

int ExpressionParser::precedence(std::string_view token) const {
  if (token.size() == 1) {
    switch (token[0]) {
      case '_':
      case '!':
      case '^':
      case '@':
        return 400;
      case '*':
      case '/':
      case '%':
        return 200;
      case '+':
      case '-':
        return 100;
      case '<':
      case '>':
      case '{':
      case '}':
        return 70;
      case '=':
      case '#':
        return 53;
      case '&':
        return 51;
      case '|':
        return 50;
      case ',':
        return kFunctionPriority;
      default:
        break;
    }
  }
  return isFunction(token) ? kFunctionPriority : 0;
}

void ExpressionParser::fail(std::string message) {
  errorMessage_ = message;
  ++errorCount_;
  raiseFailure(std::move(message));
}

bool ExpressionParser::parse(const char* text, std::size_t length) {
  operators_.clear();
  output_.clear();
  pendingParameters_.fill(0);
  level_ = 0;
  parenthesisDepth_ = 0;
  operandDone_ = false;
  variableNames_.clear();
  errorCount_ = 0;
  errorMessage_.clear();
  try {
    scanner_.reset(text == nullptr ? std::string_view() : std::string_view(text, length));
    runParser();
  } catch (const Failure& failure) {
    errorMessage_ = failure.text();
    ++errorCount_;
    throw;
  }
  return errorCount_ == 0;
}

void ExpressionParser::runParser() {
  while (!scanner_.atEnd()) {
    scanner_.startToken();
    char c = scanner_.peek();
    if (isNameStart(c)) {
      parseIdentifier();
    } else if (isNumberStart(c)) {
      emit(scanner_.scanNumber(), kConstantToken);
      operandDone_ = true;
    } else {
      switch (c) {
        case '+':
        case '-':
          parseSign(c);
          break;
        // ':' and '\' have no meaning in the evaluator and no priority; letting them
        // through would pop '(' off the operator stack, so they are rejected below.
        case '*':
        case '/':
        case '%':
        case '^':
        case '&':
        case '|':
        case '@':
          parseBinaryOperator(c);
          break;
        case '<':
        case '>':
        case '=':
          parseComparison(false);
          break;
        case '!':
          if (scanner_.peek(1) == '=')
            parseComparison(true);
          else
            parseNot();
          break;
        case '(':
          scanner_.advance();
          pushOperator("(");
          ++parenthesisDepth_;
          operandDone_ = false;
          break;
        case ')':
          parseClosingParenthesis();
          break;
        case ',':
          parseComma();
          break;
        case '"':
          parseString();
          break;
        case '{':
          parseRuleText();
          break;
        default:
          raiseFailure(std::string("Unrecognized character ") + c);
      }
    }
  }
  if (parenthesisDepth_ != 0) raiseFailure("Syntax Error: Parenthesis not match\n");
  while (!operators_.empty()) {
    Token token = operators_.pop();
    emit(std::move(token.text), token.kind);
  }
}

void ExpressionParser::parseIdentifier() {
  std::string name = scanner_.scanIdentifier();
  int parameters = parameterCount(name);
  if (parameters >= 0 && scanner_.peek() == '(') {
    openFunction(name, parameters);
  } else {
    // A function name without '(' is an ordinary variable of that name.
    variableNames_.insert(name);
    emit(std::move(name), kVariableToken);
  }
  operandDone_ = true;
}

void ExpressionParser::openFunction(const std::string& name, int parameters) {
  popOperatorsFrom(kFunctionPriority);
  pushOperator(name, kFunctionToken);
  pendingParameters_[++level_] = parameters;
  // The cursor stands on the '('.
  if (parameters > 0) {
    if (scanner_.isLast()) raiseFailure("Incomplete expression: " + name + " needs parameter(s)\n");
    char next = scanner_.peek(1);
    if (next == ',' || next == ')')
      raiseFailure(formatText("%s needs %i parameter(s).\n", name.c_str(), parameters));
  } else {
    if (scanner_.isLast()) raiseFailure("Incomplete expression: " + name + " needs )\n");
    if (scanner_.peek(1) != ')')
      raiseFailure("Incomplete expression: " + name + " doesn't accept any parameters.");
  }
}

void ExpressionParser::parseSign(char sign) {
  scanner_.advance();
  std::string op(1, sign);
  if (!operandDone_) {
    if (sign == '+') return;  // a unary plus changes nothing
    op = "_";
  }
  popOperatorsFrom(precedence(op));
  pushOperator(std::move(op));
  operandDone_ = false;
}

void ExpressionParser::parseBinaryOperator(char op) {
  if (!operandDone_) raiseFailure("Syntax Error: operand expected\n");
  scanner_.advance();
  std::string token(1, op);
  popOperatorsFrom(precedence(token));
  pushOperator(std::move(token));
  operandDone_ = false;
}

void ExpressionParser::parseComparison(bool isNotEqual) {
  // A missing left operand of '<', '>' or '=' is left to the evaluator to report.
  if (isNotEqual && !operandDone_) raiseFailure("Syntax Error: operand expected\n");
  std::string token = scanner_.scanComparison();
  popOperatorsFrom(precedence(token));
  pushOperator(std::move(token));
  operandDone_ = false;
}

void ExpressionParser::parseNot() {
  if (operandDone_ || scanner_.isLast())
    raiseFailure("Syntax Error: operand expected after !(NOT) operator\n");
  scanner_.advance();
  popOperatorsFrom(precedence("!"));
  pushOperator("!");
}

void ExpressionParser::parseClosingParenthesis() {
  scanner_.advance();
  if (--parenthesisDepth_ < 0) raiseFailure("Syntax Error: \"(\" expected\n");
  popOperatorsToParenthesis();
  operators_.pop();  // the '('
  if (!operators_.empty() && operators_.top().kind == kFunctionToken) {
    Token function = operators_.pop();
    int parameters = parameterCount(function.text);
    int pending = pendingParameters_[level_];
    if (parameters > 0) --pending;  // the last parameter has no ',' after it
    --level_;
    emit(function.text, kFunctionToken);
    if (pending > 0)
      raiseFailure(formatText("Syntax Error: Function %s needs %i parameter(s)\n%i expected.\n",
                              function.text.c_str(), parameters, pending));
    if (pending < 0)
      raiseFailure(formatText("Syntax Error: Function %s needs %i parameter(s) only.\n%i more.\n",
                              function.text.c_str(), parameters, -pending));
  }
  operandDone_ = true;
}

void ExpressionParser::parseComma() {
  if (parenthesisDepth_ < 1) raiseFailure("Syntax Error: \"(\" expected\n");
  --pendingParameters_[level_];
  popOperatorsToParenthesis();
  char next = scanner_.peek(1);
  if (scanner_.isLast() || next == ',' || next == ')') raiseFailure("parameter expected.\n");
  scanner_.advance();
  operandDone_ = false;
}

void ExpressionParser::parseString() {
  std::string constant = scanner_.scanString('"');
  if (constant == "ERR") raiseFailure("Syntax Error: constant string incomplete\n");
  emit(std::move(constant), kStringToken);
  operandDone_ = true;
}

void ExpressionParser::parseRuleText() {
  const std::string& text = scanner_.text();
  std::size_t close = text.find('}', scanner_.cursor());
  if (close == std::string::npos) raiseFailure("Recode/Trunc rule incomplete\n");
  std::size_t start = scanner_.cursor();
  scanner_.advance(close + 1 - start);
  emit(text.substr(start, close + 1 - start), kRuleToken);
  operandDone_ = true;
}

void ExpressionParser::popOperatorsFrom(int priority) {
  while (!operators_.empty() && precedence(operators_.top().text) >= priority) {
    Token token = operators_.pop();
    emit(std::move(token.text), token.kind);
  }
}

void ExpressionParser::popOperatorsToParenthesis() {
  while (!operators_.empty() && operators_.top().text != "(") {
    Token token = operators_.pop();
    emit(std::move(token.text), token.kind);
  }
}

void ExpressionParser::pushOperator(std::string token, char kind) {
  operators_.push(std::move(token), kind);
}

void ExpressionParser::emit(std::string token, char kind) {
  output_.push(std::move(token), kind);
}

}  // namespace tessary
