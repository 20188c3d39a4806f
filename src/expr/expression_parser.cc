#include "expr/expression_parser.h"

#include <algorithm>
#include <utility>

#include "expr/invalid_conversion.h"
#include "frame/failure.h"
#include "platform/text.h"

namespace tessary {
namespace {

int stackedPriority(const Step& step) {
  return step.kind == StepKind::kFunction ? kFunctionPriority : priority(step.op);
}

Step operatorStep(Operator op) {
  Step step;
  step.kind = StepKind::kOperator;
  step.op = op;
  step.text.assign(1, symbol(op));
  return step;
}

// Rules are parsed once, here; a rule that fails keeps its message for the evaluator,
// which raises it when the step is reached.
std::shared_ptr<const RecodeRule> parsedRule(const std::string& text) {
  auto rule = std::make_shared<RecodeRule>();
  try {
    rule->parse(text);
  } catch (const InvalidConversionException&) {
    // The rule holds the conversion message as its error text.
  }
  return rule;
}

}  // namespace

void ExpressionParser::fail(std::string message) {
  errorMessage_ = message;
  ++errorCount_;
  raiseFailure(std::move(message));
}

void ExpressionParser::reset() {
  operators_.clear();
  output_.clear();
  pendingParameters_.fill(0);
  level_ = 0;
  parenthesisDepth_ = 0;
  operandDone_ = false;
  variableNames_.clear();
  variables_.clear();
  elementwise_ = true;
  errorCount_ = 0;
  errorMessage_.clear();
}

bool ExpressionParser::parse(const char* text, std::size_t length) {
  reset();
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
    const char c = scanner_.peek();
    if (isNameStart(c)) {
      parseIdentifier();
    } else if (isNumberStart(c)) {
      Step number;
      number.kind = StepKind::kConstant;
      number.text = scanner_.scanNumber();
      number.constant = decimalValue(number.text);
      emit(std::move(number));
      operandDone_ = true;
    } else {
      parseOperatorCharacter(c);
    }
  }
  if (parenthesisDepth_ != 0) raiseFailure("Syntax Error: Parenthesis not match\n");
  while (!operators_.empty())
    emit(operators_.pop());
}

void ExpressionParser::parseOperatorCharacter(char c) {
  switch (c) {
    case '+':
    case '-':
      return parseSign(c);
    // ':' and '\' have no meaning in the evaluator and no priority; letting them
    // through would pop '(' off the operator stack, so they are rejected below.
    case '*':
    case '/':
    case '%':
    case '^':
    case '&':
    case '|':
    case '@':
      return parseBinaryOperator(c);
    case '<':
    case '>':
    case '=':
      return parseComparison(false);
    case '!':
      return scanner_.peek(1) == '=' ? parseComparison(true) : parseNot();
    case '(':
      scanner_.advance();
      pushOperator(Operator::kOpenParenthesis);
      ++parenthesisDepth_;
      operandDone_ = false;
      return;
    case ')':
      return parseClosingParenthesis();
    case ',':
      return parseComma();
    case '"':
      return parseString();
    case '{':
      return parseRuleText();
    default:
      raiseFailure(std::string("Unrecognized character ") + c);
  }
}

void ExpressionParser::parseIdentifier() {
  std::string name = scanner_.scanIdentifier();
  const BuiltInFunction* known = function(name);
  if (known != nullptr && scanner_.peek() == '(')
    openFunction(*known);
  else
    emitVariable(std::move(name));  // a function name without '(' is a variable
  operandDone_ = true;
}

void ExpressionParser::emitVariable(std::string name) {
  Step step;
  step.kind = StepKind::kVariable;
  auto known = std::find(variables_.begin(), variables_.end(), name);
  step.variable = static_cast<std::size_t>(known - variables_.begin());
  if (known == variables_.end()) variables_.push_back(name);
  variableNames_.insert(name);
  step.text = std::move(name);
  emit(std::move(step));
}

void ExpressionParser::openFunction(const BuiltInFunction& function) {
  popOperatorsFrom(kFunctionPriority);
  Step call;
  call.kind = StepKind::kFunction;
  call.text = std::string(function.name);
  call.function = &function;
  operators_.push(std::move(call));
  const int parameters = function.parameters;
  pendingParameters_[++level_] = parameters;
  // The cursor stands on the '('.
  const std::string& name = operators_.top().text;
  if (parameters > 0) {
    if (scanner_.isLast()) raiseFailure("Incomplete expression: " + name + " needs parameter(s)\n");
    const char next = scanner_.peek(1);
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
  Operator op = sign == '+' ? Operator::kAdd : Operator::kSubtract;
  if (!operandDone_) {
    if (sign == '+') return;  // a unary plus changes nothing
    op = Operator::kNegate;
  }
  popOperatorsFrom(priority(op));
  pushOperator(op);
  operandDone_ = false;
}

void ExpressionParser::parseBinaryOperator(char c) {
  if (!operandDone_) raiseFailure("Syntax Error: operand expected\n");
  scanner_.advance();
  const Operator op = operatorWithSymbol(c);
  popOperatorsFrom(priority(op));
  pushOperator(op);
  operandDone_ = false;
}

void ExpressionParser::parseComparison(bool isNotEqual) {
  // A missing left operand of '<', '>' or '=' is left to the evaluator to report.
  if (isNotEqual && !operandDone_) raiseFailure("Syntax Error: operand expected\n");
  const Operator op = scanner_.scanComparison();
  popOperatorsFrom(priority(op));
  pushOperator(op);
  operandDone_ = false;
}

void ExpressionParser::parseNot() {
  if (operandDone_ || scanner_.isLast())
    raiseFailure("Syntax Error: operand expected after !(NOT) operator\n");
  scanner_.advance();
  popOperatorsFrom(priority(Operator::kNot));
  pushOperator(Operator::kNot);
}

void ExpressionParser::parseClosingParenthesis() {
  scanner_.advance();
  if (--parenthesisDepth_ < 0) raiseFailure("Syntax Error: \"(\" expected\n");
  popOperatorsToParenthesis();
  operators_.pop();  // the '('
  if (!operators_.empty() && operators_.top().kind == StepKind::kFunction) {
    Step call = operators_.pop();
    const int parameters = call.function->parameters;
    int pending = pendingParameters_[level_];
    if (parameters > 0) --pending;  // the last parameter has no ',' after it
    --level_;
    const std::string name = call.text;
    emit(std::move(call));
    if (pending > 0)
      raiseFailure(formatText("Syntax Error: Function %s needs %i parameter(s)\n%i expected.\n",
                              name.c_str(), parameters, pending));
    if (pending < 0)
      raiseFailure(formatText("Syntax Error: Function %s needs %i parameter(s) only.\n%i more.\n",
                              name.c_str(), parameters, -pending));
  }
  operandDone_ = true;
}

void ExpressionParser::parseComma() {
  if (parenthesisDepth_ < 1) raiseFailure("Syntax Error: \"(\" expected\n");
  --pendingParameters_[level_];
  popOperatorsToParenthesis();
  const char next = scanner_.peek(1);
  if (scanner_.isLast() || next == ',' || next == ')') raiseFailure("parameter expected.\n");
  scanner_.advance();
  operandDone_ = false;
}

void ExpressionParser::parseString() {
  std::string constant = scanner_.scanString('"');
  if (constant == "ERR") raiseFailure("Syntax Error: constant string incomplete\n");
  Step step;
  step.kind = StepKind::kString;
  step.text = std::move(constant);
  emit(std::move(step));
  operandDone_ = true;
}

void ExpressionParser::parseRuleText() {
  const std::string& text = scanner_.text();
  const std::size_t close = text.find('}', scanner_.cursor());
  if (close == std::string::npos) raiseFailure("Recode/Trunc rule incomplete\n");
  const std::size_t start = scanner_.cursor();
  scanner_.advance(close + 1 - start);
  Step step;
  step.kind = StepKind::kRule;
  step.text = text.substr(start, close + 1 - start);
  step.rule = parsedRule(step.text);
  emit(std::move(step));
  operandDone_ = true;
}

void ExpressionParser::popOperatorsFrom(int priority) {
  while (!operators_.empty() && stackedPriority(operators_.top()) >= priority)
    emit(operators_.pop());
}

void ExpressionParser::popOperatorsToParenthesis() {
  while (!operators_.empty() && !(operators_.top().kind == StepKind::kOperator &&
                                  operators_.top().op == Operator::kOpenParenthesis))
    emit(operators_.pop());
}

void ExpressionParser::pushOperator(Operator op) {
  operators_.push(operatorStep(op));
}

void ExpressionParser::emit(Step step) {
  switch (step.kind) {
    case StepKind::kRule:
      elementwise_ = false;
      break;
    case StepKind::kOperator:
      elementwise_ = elementwise_ && step.op != Operator::kApplyRule;
      break;
    case StepKind::kFunction:
      elementwise_ = elementwise_ && step.function->elementwise;
      // The string constant right before LOOKUP names its table.
      if (step.function->argument == Argument::kTableName && !output_.empty() &&
          output_.top().kind == StepKind::kString)
        output_.top().namesLookupTable = true;
      break;
    default:
      break;
  }
  output_.push(std::move(step));
}

}  // namespace tessary
