// The recursive-descent parser of the application language. Errors are reported once per
// statement; the parser then skips to the end of the line and goes on, so that one run
// reports every error. Entry points: ParseProject, ParseFile.
#include "tools/amxc/parser.h"

#include <filesystem>
#include <set>

#include "tools/amxc/lexer.h"

namespace amxc {
namespace {

namespace fs = std::filesystem;

const std::set<std::string> kKeywords = {
    "dim", "as", "if", "then", "else", "elseif", "end", "select", "case", "for", "to",
    "step", "next", "while", "wend", "return", "exit", "sub", "function", "try", "catch",
    "raise", "new", "nil", "me", "self", "true", "false", "and", "or", "not", "mod",
    "window", "control", "module", "class", "inherits", "project", "menubar", "menu",
    "menuitem", "separator", "applemenu", "include", "import", "plugincontrol",
    "pluginclass", "property", "event"};

// Raised inside the parser to abandon the current line after an error was reported.
struct SyntaxError {};

class Parser {
 public:
  Parser(SourceSet& sources, int32_t file, Diagnostics& diags, Program& program)
      : sources_(sources), file_(file), diags_(diags), program_(program),
        tokens_(Lex(sources, file, diags)) {}

  void ParseTopLevel() {
    while (!AtEnd()) {
      if (IsNewline()) {
        Next();
        continue;
      }
      try {
        TopLevelDeclaration();
      } catch (const SyntaxError&) {
        SkipLine();
      }
    }
  }

 private:
  // ---- Token helpers ----------------------------------------------------------------------
  const Token& Cur() const { return tokens_[pos_]; }
  const Token& PeekTok(size_t ahead) const {
    return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
  }
  bool AtEnd() const { return Cur().kind == Tok::kEnd; }
  bool IsNewline() const { return Cur().kind == Tok::kNewline; }
  bool IsWord(const char* word) const { return Cur().kind == Tok::kName && Cur().lower == word; }
  bool IsWordAt(size_t ahead, const char* word) const {
    return PeekTok(ahead).kind == Tok::kName && PeekTok(ahead).lower == word;
  }
  bool IsSymbol(const char* sym) const { return Cur().kind == Tok::kSymbol && Cur().text == sym; }
  const Token& Next() {
    const Token& t = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
  }
  bool AcceptWord(const char* word) {
    if (!IsWord(word)) return false;
    Next();
    return true;
  }
  bool AcceptSymbol(const char* sym) {
    if (!IsSymbol(sym)) return false;
    Next();
    return true;
  }

  [[noreturn]] void Fail(const SourcePos& pos, const std::string& message) {
    diags_.Error(pos, message);
    throw SyntaxError{};
  }
  std::string Describe(const Token& t) const {
    switch (t.kind) {
      case Tok::kNewline: return "end of line";
      case Tok::kEnd: return "end of file";
      case Tok::kString: return "string literal";
      case Tok::kSymbol: return "'" + t.text + "'";
      default: return "'" + t.text + "'";
    }
  }
  [[noreturn]] void Expected(const std::string& what) {
    Fail(Cur().pos, "expected " + what + ", found " + Describe(Cur()));
  }
  void ExpectWord(const char* word, const char* shown) {
    if (!AcceptWord(word)) Expected(std::string("'") + shown + "'");
  }
  void ExpectSymbol(const char* sym) {
    if (!AcceptSymbol(sym)) Expected(std::string("'") + sym + "'");
  }
  void ExpectNewline() {
    if (!IsNewline() && !AtEnd()) Expected("end of line");
    if (IsNewline()) Next();
  }
  void SkipLine() {
    while (!IsNewline() && !AtEnd()) Next();
    if (IsNewline()) Next();
  }
  // After a bad Sub or Function line: its body up to and including its End line, so that
  // the body's statements are not read as the enclosing block's lines. Stops before the end
  // of the enclosing block when the End line is missing.
  void SkipBody(const char* endWord, const char* outer) {
    while (!AtEnd() && !AtEndOf(endWord) && !AtEndOf(outer)) SkipLine();
    if (AtEndOf(endWord)) SkipLine();
  }
  void SkipBlankLines() {
    while (IsNewline()) Next();
  }

  Token ExpectName(const char* what) {
    if (Cur().kind != Tok::kName) Expected(what);
    if (kKeywords.count(Cur().lower)) Fail(Cur().pos, std::string("expected ") + what + ", found keyword '" + Cur().text + "'");
    return Next();
  }
  std::string ExpectString(const char* what) {
    if (Cur().kind != Tok::kString) Expected(what);
    return Next().text;
  }
  int32_t ExpectInteger(const char* what) {
    bool negative = AcceptSymbol("-");
    if (Cur().kind != Tok::kInteger) Expected(what);
    const Token& t = Next();
    int64_t value = negative ? -t.intValue : t.intValue;
    if (value > INT32_MAX || value < INT32_MIN) Fail(t.pos, "integer " + t.text + " is out of range");
    return static_cast<int32_t>(value);
  }
  bool ExpectBoolean() {
    if (AcceptWord("true")) return true;
    if (AcceptWord("false")) return false;
    Expected("True or False");
  }
  TypeName ParseTypeName() {
    TypeName type;
    type.pos = Cur().pos;
    // Class names such as Window may be keywords elsewhere.
    if (Cur().kind != Tok::kName) Expected("a type name");
    type.name = Next().text;
    return type;
  }

  // True when the current line is "End <word>".
  bool AtEndOf(const char* word) const { return IsWord("end") && IsWordAt(1, word); }
  void ExpectEndOf(const char* word, const char* shown) {
    ExpectWord("end", "End");
    ExpectWord(word, shown);
    ExpectNewline();
  }
  // Reports a block that runs to the end of the file without its "End".
  void CheckNotAtEnd(const SourcePos& opened, const std::string& what) {
    if (AtEnd()) Fail(opened, what + " is not closed by its End line");
  }

  // ---- Top level --------------------------------------------------------------------------
  void TopLevelDeclaration() {
    if (AcceptWord("project")) return ProjectBlock();
    if (AcceptWord("menubar")) return MenuBarBlock();
    if (AcceptWord("window")) return WindowBlock();
    if (AcceptWord("module")) return ModuleBlock();
    if (AcceptWord("class")) return ClassBlock();
    if (IsWord("plugincontrol") || IsWord("pluginclass")) return PluginClassBlock();
    if (IsWord("include")) {
      SourcePos at = Next().pos;
      std::string path = ExpectString("a file name");
      ExpectNewline();
      return IncludeFile(at, path, "Include");
    }
    Expected("Project, MenuBar, Window, Module, Class or Include");
  }

  std::string Resolve(const std::string& path) const {
    fs::path base = fs::path(sources_.File(file_).path).parent_path();
    return (base / path).lexically_normal().string();
  }

  void IncludeFile(const SourcePos& at, const std::string& path, const char* what) {
    std::string full = Resolve(path);
    static thread_local std::set<std::string>* active = nullptr;
    std::set<std::string> mine;
    bool owner = active == nullptr;
    if (owner) active = &mine;
    std::string key = fs::weakly_canonical(full).string();
    if (active->count(key)) {
      if (owner) active = nullptr;
      Fail(at, std::string(what) + " of \"" + path + "\" repeats a file already read");
    }
    int32_t file = sources_.Load(full);
    if (file < 0) {
      if (owner) active = nullptr;
      Fail(at, std::string("cannot read ") + what + " file \"" + path + "\"");
    }
    active->insert(key);
    ParseFile(sources_, file, diags_, program_);
    if (owner) active = nullptr;
  }

  // Constant text: literals joined with "&", and Chr(n).
  std::string ConstText(const char* what) {
    std::string text = ConstTextPart(what);
    while (AcceptSymbol("&")) text += ConstTextPart(what);
    return text;
  }
  std::string ConstTextPart(const char* what) {
    if (Cur().kind == Tok::kString) return Next().text;
    if (IsWord("chr")) {
      Next();
      ExpectSymbol("(");
      SourcePos at = Cur().pos;
      int32_t code = ExpectInteger("a character code");
      if (code < 0 || code > 127) Fail(at, "Chr code " + std::to_string(code) + " in a constant text must be 0 to 127");
      ExpectSymbol(")");
      return std::string(1, static_cast<char>(code));
    }
    Expected(what);
  }

  void ProjectBlock() {
    ProjectDecl project;
    project.pos = tokens_[pos_ - 1].pos;
    ExpectNewline();
    for (;;) {
      SkipBlankLines();
      CheckNotAtEnd(project.pos, "Project");
      if (AtEndOf("project")) break;
      try {
        ProjectLine(project);
      } catch (const SyntaxError&) {
        SkipLine();
      }
    }
    ExpectEndOf("project", "Project");
    program_.projects.push_back(std::move(project));
  }

  void ProjectLine(ProjectDecl& project) {
    const Token& word = Cur();
    SourcePos at = word.pos;
    if (AcceptWord("caption")) {
      SourcePos textAt = Cur().pos;
      project.caption = {ConstText("a caption text"), textAt};
    } else if (word.kind == Tok::kName && word.lower == "defaultwindow") {
      Next();
      project.defaultWindow = {ExpectName("a window name").text, at};
    } else if (word.kind == Tok::kName && word.lower == "flags") {
      Next();
      project.flags = ExpectInteger("the flag byte");
      if (project.flags < 0 || project.flags > 255) Fail(at, "Flags must be 0 to 255");
    } else if (word.kind == Tok::kName && word.lower == "reserved") {
      Next();
      project.reserved1 = ExpectInteger("a reserved word");
      ExpectSymbol(",");
      project.reserved2 = ExpectInteger("a reserved word");
    } else if (word.kind == Tok::kName && word.lower == "mdi") {
      Next();
      project.mdi = ExpectBoolean();
    } else if (word.kind == Tok::kName && word.lower == "documenttype") {
      Next();
      std::vector<std::string> texts{ConstText("a text")};
      for (int i = 0; i < 3; ++i) {
        ExpectSymbol(",");
        texts.push_back(ConstText("a text"));
      }
      project.documentTypes.push_back({texts, at});
    } else if (word.kind == Tok::kName && word.lower == "message") {
      Next();
      SourcePos numberAt = Cur().pos;
      int32_t number = ExpectInteger("a message number");
      if (number < 0 || number > 255) Fail(numberAt, "message number must be 0 to 255");
      SourcePos textAt = Cur().pos;
      project.messages.push_back({number, {ConstText("a message text"), textAt}});
    } else if (word.kind == Tok::kName && word.lower == "plugin") {
      Next();
      ProjectDecl::Plugin plugin;
      plugin.pos = at;
      plugin.fileName = ExpectString("the plug-in's file name");
      if (!(Cur().kind == Tok::kName && Cur().lower == "from")) Expected("'From'");
      Next();
      plugin.written = ExpectString("the plug-in library's path");
      plugin.path = Resolve(plugin.written);
      project.plugins.push_back(std::move(plugin));
    } else if (AcceptWord("import")) {
      std::string path = ExpectString("a declaration file name");
      ExpectNewline();
      return IncludeFile(at, path, "Import");
    } else {
      Expected("a project setting (Caption, DefaultWindow, Flags, Reserved, MDI, DocumentType, "
               "Message, Plugin or Import)");
    }
    ExpectNewline();
  }

  // ---- Menu bar ---------------------------------------------------------------------------
  void MenuBarBlock() {
    MenuDecl bar;
    bar.kind = MenuDecl::kMenu;
    bar.pos = tokens_[pos_ - 1].pos;
    ExpectNewline();
    MenuEntries(bar, "menubar", "MenuBar");
    program_.menuBars.push_back(std::move(bar));
  }

  void MenuEntries(MenuDecl& parent, const char* endWord, const char* shown) {
    for (;;) {
      SkipBlankLines();
      CheckNotAtEnd(parent.pos, shown);
      if (AtEndOf(endWord)) break;
      try {
        parent.children.push_back(MenuEntry());
      } catch (const SyntaxError&) {
        SkipLine();
      }
    }
    ExpectEndOf(endWord, shown);
  }

  MenuDecl MenuEntry() {
    MenuDecl entry;
    entry.pos = Cur().pos;
    if (AcceptWord("separator")) {
      entry.kind = MenuDecl::kSeparator;
      ExpectNewline();
      return entry;
    }
    if (AcceptWord("applemenu")) {
      // Optionally named and captioned like a menu; the runtime shows neither.
      entry.kind = MenuDecl::kAppleMenu;
      if (Cur().kind == Tok::kName) entry.name = ExpectName("a menu name").text;
      if (Cur().kind == Tok::kString) {
        entry.textPos = Cur().pos;
        entry.text = Next().text;
      }
      ExpectNewline();
      MenuEntries(entry, "applemenu", "AppleMenu");
      return entry;
    }
    if (AcceptWord("menu")) {
      entry.kind = MenuDecl::kMenu;
      if (Cur().kind == Tok::kName) entry.name = ExpectName("a menu name").text;
      entry.textPos = Cur().pos;
      entry.text = ExpectString("the menu's caption");
      MenuClauses(entry);
      ExpectNewline();
      MenuEntries(entry, "menu", "Menu");
      return entry;
    }
    if (AcceptWord("menuitem")) {
      entry.kind = MenuDecl::kItem;
      entry.name = ExpectName("a menu item name").text;
      entry.textPos = Cur().pos;
      entry.text = ExpectString("the item's caption");
      MenuClauses(entry);
      ExpectNewline();
      return entry;
    }
    Expected("MenuItem, Menu, Separator or End");
  }

  void MenuClauses(MenuDecl& entry) {
    while (!IsNewline() && !AtEnd()) {
      if (Cur().kind == Tok::kName && Cur().lower == "index") {
        Next();
        entry.index = ExpectInteger("an index");
      } else if (Cur().kind == Tok::kName && Cur().lower == "key") {
        Next();
        entry.key = ExpectString("a shortcut key");
      } else if (Cur().kind == Tok::kName && Cur().lower == "help") {
        Next();
        entry.help = ExpectString("a help text");
        ExpectSymbol(",");
        entry.disabledHelp = ExpectString("a help text");
      } else if (AcceptWord("as")) {
        entry.cls = ParseTypeName();
      } else {
        Expected("Index, Key, Help, As or end of line");
      }
    }
  }

  // ---- Windows ----------------------------------------------------------------------------
  void WindowBlock() {
    WindowDecl window;
    window.pos = Cur().pos;
    window.name = ExpectName("a window name").text;
    ExpectNewline();
    for (;;) {
      SkipBlankLines();
      CheckNotAtEnd(window.pos, "Window " + window.name);
      if (AtEndOf("window")) break;
      try {
        if (IsWord("sub") || IsWord("function")) {
          window.handlers.push_back(Function());
        } else if (AcceptWord("control")) {
          window.controls.push_back(ControlBlock());
        } else {
          PropertyLine(window.properties);
        }
      } catch (const SyntaxError&) {
        SkipLine();
      }
    }
    ExpectEndOf("window", "Window");
    program_.windows.push_back(std::move(window));
  }

  ControlDecl ControlBlock() {
    ControlDecl control;
    control.pos = Cur().pos;
    // A name that is no identifier ("pb-6") is written in double quotes; the control is then
    // reached only as Me in its own handlers.
    if (Cur().kind == Tok::kString) {
      control.name = Next().text;
      control.quoted = true;
    } else {
      control.name = ExpectName("a control name").text;
    }
    if (AcceptSymbol("(")) {
      control.index = ExpectInteger("a control-array index");
      ExpectSymbol(")");
    }
    ExpectWord("as", "As");
    control.type = ParseTypeName();
    ExpectNewline();
    for (;;) {
      SkipBlankLines();
      CheckNotAtEnd(control.pos, "Control " + control.name);
      if (AtEndOf("control")) break;
      try {
        if (IsWord("sub") || IsWord("function")) {
          control.handlers.push_back(Function());
        } else {
          PropertyLine(control.properties);
        }
      } catch (const SyntaxError&) {
        SkipLine();
      }
    }
    ExpectEndOf("control", "Control");
    return control;
  }

  // name = constant [: name = constant ...]
  void PropertyLine(std::vector<PropertyValue>& properties) {
    for (;;) {
      PropertyValue value;
      value.pos = Cur().pos;
      if (Cur().kind != Tok::kName || kKeywords.count(Cur().lower)) Expected("a property name, Control, Sub, Function or End");
      value.name = Next().text;
      ExpectSymbol("=");
      value.value = Expression();
      properties.push_back(std::move(value));
      // ":" reads as a line end: another assignment may follow on the same line.
      if (AtEnd()) return;
      ExpectNewline();
      if (!(Cur().kind == Tok::kName && PeekTok(1).kind == Tok::kSymbol && PeekTok(1).text == "=" &&
            Cur().pos.line == tokens_[pos_ - 1].pos.line))
        return;
    }
  }

  // ---- Modules, classes and plug-in declarations --------------------------------------------
  void ModuleBlock() {
    ModuleDecl module;
    module.pos = Cur().pos;
    module.name = ExpectName("a module name").text;
    ExpectNewline();
    for (;;) {
      SkipBlankLines();
      CheckNotAtEnd(module.pos, "Module " + module.name);
      if (AtEndOf("module")) break;
      try {
        if (!IsWord("sub") && !IsWord("function")) Expected("Sub, Function or End Module");
        module.functions.push_back(Function());
      } catch (const SyntaxError&) {
        SkipLine();
      }
    }
    ExpectEndOf("module", "Module");
    program_.modules.push_back(std::move(module));
  }

  void ClassBlock() {
    ClassDecl cls;
    cls.pos = Cur().pos;
    cls.name = ExpectName("a class name").text;
    ExpectWord("inherits", "Inherits");
    cls.super = ParseTypeName();
    ExpectNewline();
    for (;;) {
      SkipBlankLines();
      CheckNotAtEnd(cls.pos, "Class " + cls.name);
      if (AtEndOf("class")) break;
      const char* handlerEnd = IsWord("sub") ? "sub" : IsWord("function") ? "function" : nullptr;
      try {
        if (handlerEnd) {
          cls.handlers.push_back(Function());
          continue;
        }
        ExpectWord("dim", "Dim, Sub, Function or End Class");
        FieldDecl field;
        field.pos = Cur().pos;
        field.name = ExpectName("a field name").text;
        if (IsSymbol("(")) Fail(Cur().pos, "a class field cannot be an array");
        ExpectWord("as", "As");
        field.type = ParseTypeName();
        ExpectNewline();
        cls.fields.push_back(std::move(field));
      } catch (const SyntaxError&) {
        if (AtEndOf("class")) continue;  // a handler left open: the class still ends here
        SkipLine();
        if (handlerEnd) SkipBody(handlerEnd, "class");
      }
    }
    ExpectEndOf("class", "Class");
    program_.classes.push_back(std::move(cls));
  }

  void PluginClassBlock() {
    PluginClassDecl cls;
    cls.isControl = IsWord("plugincontrol");
    const char* endWord = cls.isControl ? "plugincontrol" : "pluginclass";
    const char* shown = cls.isControl ? "PluginControl" : "PluginClass";
    Next();
    cls.pos = Cur().pos;
    cls.name = ExpectName("a class name").text;
    ExpectWord("inherits", "Inherits");
    cls.super = ParseTypeName();
    if (!(Cur().kind == Tok::kName && Cur().lower == "size")) Expected("'Size'");
    Next();
    cls.instanceSize = ExpectInteger("the instance size");
    ExpectNewline();
    for (;;) {
      SkipBlankLines();
      CheckNotAtEnd(cls.pos, std::string(shown) + " " + cls.name);
      if (AtEndOf(endWord)) break;
      try {
        if (AcceptWord("property")) {
          PluginPropertyDecl property;
          property.pos = Cur().pos;
          property.name = ExpectName("a property name").text;
          ExpectWord("as", "As");
          property.type = ParseTypeName();
          if (AcceptSymbol("=")) property.defaultValue = DesignText();
          cls.properties.push_back(std::move(property));
        } else if (AcceptWord("event")) {
          PluginEventDecl event;
          event.pos = Cur().pos;
          event.name = ExpectName("an event name").text;
          event.params = Params();
          if (AcceptWord("as")) event.result = ParseTypeName();
          cls.events.push_back(std::move(event));
        } else {
          Expected("Property, Event or End");
        }
        ExpectNewline();
      } catch (const SyntaxError&) {
        SkipLine();
      }
    }
    ExpectEndOf(endWord, shown);
    program_.pluginClasses.push_back(std::move(cls));
  }

  // A design-time default in a declaration file: a literal written as its text.
  std::string DesignText() {
    if (Cur().kind == Tok::kString) return Next().text;
    if (AcceptWord("true")) return "True";
    if (AcceptWord("false")) return "False";
    if (Cur().kind == Tok::kColor) return std::to_string(Next().intValue);
    return std::to_string(ExpectInteger("a default value"));
  }

  // ---- Functions --------------------------------------------------------------------------
  std::vector<Param> Params() {
    std::vector<Param> params;
    if (!AcceptSymbol("(")) return params;
    if (AcceptSymbol(")")) return params;
    do {
      Param param;
      param.pos = Cur().pos;
      param.name = ExpectName("a parameter name").text;
      ExpectWord("as", "As");
      param.type = ParseTypeName();
      params.push_back(std::move(param));
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
    return params;
  }

  FuncDecl Function() {
    FuncDecl func;
    func.isFunction = IsWord("function");
    const char* endWord = func.isFunction ? "function" : "sub";
    Next();
    func.pos = Cur().pos;
    func.name = ExpectName(func.isFunction ? "a function name" : "a sub name").text;
    func.params = Params();
    if (func.isFunction) {
      ExpectWord("as", "As");
      func.result = ParseTypeName();
    }
    ExpectNewline();
    func.body = BlockUntil([&] { return AtEndOf(endWord); }, func.pos,
                           std::string(func.isFunction ? "Function " : "Sub ") + func.name);
    ExpectEndOf(endWord, func.isFunction ? "Function" : "Sub");
    return func;
  }

  template <typename Stop>
  Block BlockUntil(Stop stop, const SourcePos& opened, const std::string& what) {
    Block block;
    for (;;) {
      SkipBlankLines();
      CheckNotAtEnd(opened, what);
      if (stop()) break;
      // A stray "End Sub"/"End Window" means the block above was left open.
      if (IsWord("end") && (IsWordAt(1, "sub") || IsWordAt(1, "function") || IsWordAt(1, "window") ||
                            IsWordAt(1, "module") || IsWordAt(1, "control") ||
                            IsWordAt(1, "class")))
        Fail(opened, what + " is not closed by its End line");
      try {
        block.push_back(Statement());
      } catch (const SyntaxError&) {
        SkipLine();
      }
    }
    return block;
  }

  // ---- Statements -------------------------------------------------------------------------
  StmtPtr NewStmt(StmtKind kind, const SourcePos& pos) {
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = kind;
    stmt->pos = pos;
    return stmt;
  }

  StmtPtr Statement() {
    SourcePos at = Cur().pos;
    NestingGuard guard(*this, at);
    if (AcceptWord("dim")) return DimStatement(at);
    if (AcceptWord("if")) return IfStatement(at);
    if (AcceptWord("select")) return SelectStatement(at);
    if (AcceptWord("for")) return ForStatement(at);
    if (AcceptWord("while")) return WhileStatement(at);
    if (AcceptWord("try")) return TryStatement(at);
    if (AcceptWord("return")) {
      auto stmt = NewStmt(StmtKind::kReturn, at);
      if (!IsNewline() && !AtEnd()) stmt->value = Expression();
      ExpectNewline();
      return stmt;
    }
    if (AcceptWord("raise")) {
      auto stmt = NewStmt(StmtKind::kRaise, at);
      stmt->value = Expression();
      ExpectNewline();
      return stmt;
    }
    if (AcceptWord("exit")) {
      auto stmt = NewStmt(StmtKind::kExit, at);
      if (AcceptWord("sub")) stmt->exitWhat = "sub";
      else if (AcceptWord("function")) stmt->exitWhat = "function";
      else Expected("Sub or Function");
      ExpectNewline();
      return stmt;
    }
    auto stmt = SimpleStatement(at);
    ExpectNewline();
    return stmt;
  }

  // An assignment or a call, the two statements that start with an expression.
  StmtPtr SimpleStatement(const SourcePos& at) {
    if (Cur().kind == Tok::kName && kKeywords.count(Cur().lower) && !IsWord("me") && !IsWord("self"))
      Fail(Cur().pos, "unexpected '" + Cur().text + "'");
    if (Cur().kind != Tok::kName) Expected("a statement");
    ExprPtr target = Postfix();
    if (AcceptSymbol("=")) {
      auto stmt = NewStmt(StmtKind::kAssign, at);
      stmt->target = std::move(target);
      stmt->value = Expression();
      return stmt;
    }
    auto stmt = NewStmt(StmtKind::kCall, at);
    if (!IsNewline() && !AtEnd()) {
      // A call without parentheses: "NotePlayer1.PlayNote 60, 127".
      auto call = NewExpr(ExprKind::kCall, target->pos);
      call->left = std::move(target);
      do call->args.push_back(Expression());
      while (AcceptSymbol(","));
      stmt->value = std::move(call);
    } else {
      stmt->value = std::move(target);
    }
    return stmt;
  }

  StmtPtr DimStatement(const SourcePos& at) {
    auto stmt = NewStmt(StmtKind::kDim, at);
    stmt->namePos = Cur().pos;
    stmt->name = ExpectName("a variable name").text;
    if (AcceptSymbol("(")) {
      SourcePos boundAt = Cur().pos;
      stmt->arrayUpper = ExpectInteger("the array's upper bound");
      if (*stmt->arrayUpper < 0) Fail(boundAt, "an array's upper bound cannot be negative");
      ExpectSymbol(")");
    }
    ExpectWord("as", "As");
    stmt->type = ParseTypeName();
    if (AcceptSymbol("=")) {
      if (stmt->arrayUpper) Fail(tokens_[pos_ - 1].pos, "an array cannot have an initial value");
      stmt->value = Expression();
    }
    ExpectNewline();
    return stmt;
  }

  StmtPtr IfStatement(const SourcePos& at) {
    auto stmt = NewStmt(StmtKind::kIf, at);
    stmt->conditions.push_back(Expression());
    ExpectWord("then", "Then");
    if (!IsNewline()) {
      // One-line form: If c Then statement [Else statement]
      Block then;
      then.push_back(OneLineStatement());
      stmt->blocks.push_back(std::move(then));
      if (AcceptWord("else")) {
        Block otherwise;
        otherwise.push_back(OneLineStatement());
        stmt->blocks.push_back(std::move(otherwise));
      }
      ExpectNewline();
      return stmt;
    }
    ExpectNewline();
    auto stop = [&] { return IsWord("elseif") || IsWord("else") || AtEndOf("if"); };
    stmt->blocks.push_back(BlockUntil(stop, at, "If"));
    while (AcceptWord("elseif")) {
      stmt->conditions.push_back(Expression());
      ExpectWord("then", "Then");
      ExpectNewline();
      stmt->blocks.push_back(BlockUntil(stop, at, "If"));
    }
    if (AcceptWord("else")) {
      ExpectNewline();
      stmt->blocks.push_back(BlockUntil([&] { return AtEndOf("if"); }, at, "If"));
    }
    ExpectEndOf("if", "If");
    return stmt;
  }

  // The statement of a one-line If: anything but a block statement, without its line end.
  StmtPtr OneLineStatement() {
    SourcePos at = Cur().pos;
    if (AcceptWord("return")) {
      auto stmt = NewStmt(StmtKind::kReturn, at);
      if (!IsNewline() && !AtEnd() && !IsWord("else")) stmt->value = Expression();
      return stmt;
    }
    if (AcceptWord("exit")) {
      auto stmt = NewStmt(StmtKind::kExit, at);
      if (AcceptWord("sub")) stmt->exitWhat = "sub";
      else if (AcceptWord("function")) stmt->exitWhat = "function";
      else Expected("Sub or Function");
      return stmt;
    }
    if (AcceptWord("raise")) {
      auto stmt = NewStmt(StmtKind::kRaise, at);
      stmt->value = Expression();
      return stmt;
    }
    return SimpleStatement(at);
  }

  StmtPtr SelectStatement(const SourcePos& at) {
    auto stmt = NewStmt(StmtKind::kSelect, at);
    ExpectWord("case", "Case");
    stmt->value = Expression();
    ExpectNewline();
    SkipBlankLines();
    bool sawElse = false;
    while (!AtEndOf("select")) {
      CheckNotAtEnd(at, "Select Case");
      CaseClause clause;
      clause.pos = Cur().pos;
      ExpectWord("case", "Case or End Select");
      if (AcceptWord("else")) {
        if (sawElse) Fail(clause.pos, "Select Case has more than one Case Else");
        sawElse = true;
      } else {
        if (sawElse) Fail(clause.pos, "Case after Case Else");
        do clause.values.push_back(Expression());
        while (AcceptSymbol(","));
      }
      ExpectNewline();
      clause.body = BlockUntil([&] { return IsWord("case") || AtEndOf("select"); }, at, "Select Case");
      stmt->cases.push_back(std::move(clause));
    }
    ExpectEndOf("select", "Select");
    return stmt;
  }

  StmtPtr ForStatement(const SourcePos& at) {
    auto stmt = NewStmt(StmtKind::kFor, at);
    stmt->namePos = Cur().pos;
    stmt->name = ExpectName("the loop variable").text;
    ExpectSymbol("=");
    stmt->value = Expression();
    ExpectWord("to", "To");
    stmt->limit = Expression();
    if (AcceptWord("step")) {
      SourcePos stepAt = Cur().pos;
      stmt->step = ExpectInteger("a constant step");
      if (stmt->step == 0) Fail(stepAt, "a For step cannot be 0");
    }
    ExpectNewline();
    stmt->body = BlockUntil([&] { return IsWord("next"); }, at, "For");
    ExpectWord("next", "Next");
    if (Cur().kind == Tok::kName) {
      const Token& name = Next();
      if (name.lower != Lower(stmt->name))
        Fail(name.pos, "Next " + name.text + " does not match For " + stmt->name);
    }
    ExpectNewline();
    return stmt;
  }

  StmtPtr WhileStatement(const SourcePos& at) {
    auto stmt = NewStmt(StmtKind::kWhile, at);
    stmt->value = Expression();
    ExpectNewline();
    stmt->body = BlockUntil([&] { return IsWord("wend"); }, at, "While");
    ExpectWord("wend", "Wend");
    ExpectNewline();
    return stmt;
  }

  StmtPtr TryStatement(const SourcePos& at) {
    auto stmt = NewStmt(StmtKind::kTry, at);
    ExpectNewline();
    stmt->body = BlockUntil([&] { return IsWord("catch") || AtEndOf("try"); }, at, "Try");
    while (IsWord("catch")) {
      CatchClause clause;
      clause.pos = Next().pos;
      clause.variable = ExpectName("the exception variable").text;
      ExpectWord("as", "As");
      clause.type = ParseTypeName();
      ExpectNewline();
      clause.body = BlockUntil([&] { return IsWord("catch") || AtEndOf("try"); }, at, "Try");
      stmt->catches.push_back(std::move(clause));
    }
    if (stmt->catches.empty()) Fail(Cur().pos, "Try needs at least one Catch clause");
    ExpectEndOf("try", "Try");
    return stmt;
  }

  // ---- Expressions ------------------------------------------------------------------------
  ExprPtr NewExpr(ExprKind kind, const SourcePos& pos) {
    auto expr = std::make_unique<Expr>();
    expr->kind = kind;
    expr->pos = pos;
    return expr;
  }
  ExprPtr Binary(const Token& op, ExprPtr left, ExprPtr right) {
    auto expr = NewExpr(ExprKind::kBinary, op.pos);
    expr->text = op.kind == Tok::kName ? op.lower : op.text;
    expr->left = std::move(left);
    expr->right = std::move(right);
    return expr;
  }

  // Nesting is limited so that a pathological source cannot exhaust the compiler's stack.
  static constexpr int kMaxNesting = 200;
  struct NestingGuard {
    NestingGuard(Parser& p, const SourcePos& at) : parser(p) {
      if (++parser.nesting_ > kMaxNesting) {
        --parser.nesting_;
        parser.Fail(at, "nesting is too deep");
      }
    }
    ~NestingGuard() { --parser.nesting_; }
    Parser& parser;
  };

  ExprPtr Expression() {
    NestingGuard guard(*this, Cur().pos);
    return OrExpr();
  }
  // One left-associative level: operand (operator operand)*. A chain longer than kMaxNesting
  // is refused, so that code generation never recurses that deep.
  template <typename IsOperator>
  ExprPtr LeftAssociative(ExprPtr (Parser::*operand)(), IsOperator isOperator) {
    ExprPtr left = (this->*operand)();
    int terms = 0;
    while (isOperator()) {
      const Token& op = Next();
      if (++terms > kMaxNesting) Fail(op.pos, "expression is too long");
      left = Binary(op, std::move(left), (this->*operand)());
    }
    return left;
  }
  ExprPtr OrExpr() {
    return LeftAssociative(&Parser::AndExpr, [this] { return IsWord("or"); });
  }
  ExprPtr AndExpr() {
    return LeftAssociative(&Parser::NotExpr, [this] { return IsWord("and"); });
  }
  ExprPtr NotExpr() {
    NestingGuard guard(*this, Cur().pos);
    if (IsWord("not")) {
      auto expr = NewExpr(ExprKind::kUnary, Next().pos);
      expr->text = "not";
      expr->left = NotExpr();
      return expr;
    }
    return Comparison();
  }
  ExprPtr Comparison() {
    ExprPtr left = Concat();
    static const std::set<std::string> ops = {"=", "<>", "<", ">", "<=", ">="};
    if (Cur().kind == Tok::kSymbol && ops.count(Cur().text)) {
      const Token& op = Next();
      left = Binary(op, std::move(left), Concat());
    }
    return left;
  }
  ExprPtr Concat() {
    return LeftAssociative(&Parser::Additive, [this] { return IsSymbol("&"); });
  }
  ExprPtr Additive() {
    return LeftAssociative(&Parser::Multiplicative, [this] { return IsSymbol("+") || IsSymbol("-"); });
  }
  ExprPtr Multiplicative() {
    return LeftAssociative(&Parser::Unary, [this] { return IsSymbol("*") || IsSymbol("/") || IsSymbol("\\") || IsWord("mod"); });
  }
  ExprPtr Unary() {
    NestingGuard guard(*this, Cur().pos);
    if (IsSymbol("-")) {
      const Token& op = Next();
      // -2147483648 is one literal.
      if (Cur().kind == Tok::kInteger) {
        auto literal = NewExpr(ExprKind::kInteger, op.pos);
        literal->intValue = -Next().intValue;
        return PostfixTail(std::move(literal));
      }
      auto expr = NewExpr(ExprKind::kUnary, op.pos);
      expr->text = "-";
      expr->left = Unary();
      return expr;
    }
    return Postfix();
  }

  ExprPtr Postfix() { return PostfixTail(Primary()); }
  ExprPtr PostfixTail(ExprPtr expr) {
    for (;;) {
      if (AcceptSymbol(".")) {
        auto member = NewExpr(ExprKind::kMember, Cur().pos);
        if (Cur().kind != Tok::kName) Expected("a member name");
        member->text = Next().text;
        member->left = std::move(expr);
        expr = std::move(member);
      } else if (IsSymbol("(")) {
        auto call = NewExpr(ExprKind::kCall, Next().pos);
        call->parenthesised = true;
        call->left = std::move(expr);
        if (!AcceptSymbol(")")) {
          do call->args.push_back(Expression());
          while (AcceptSymbol(","));
          ExpectSymbol(")");
        }
        expr = std::move(call);
      } else {
        return expr;
      }
    }
  }

  ExprPtr Primary() {
    const Token& t = Cur();
    switch (t.kind) {
      case Tok::kInteger: {
        auto expr = NewExpr(ExprKind::kInteger, t.pos);
        if (t.intValue > INT32_MAX) Fail(t.pos, "integer literal " + t.text + " is out of range");
        expr->intValue = Next().intValue;
        return expr;
      }
      case Tok::kColor: {
        auto expr = NewExpr(ExprKind::kColor, t.pos);
        expr->intValue = Next().intValue;
        return expr;
      }
      case Tok::kDouble: {
        auto expr = NewExpr(ExprKind::kDouble, t.pos);
        expr->doubleValue = Next().doubleValue;
        return expr;
      }
      case Tok::kString: {
        auto expr = NewExpr(ExprKind::kString, t.pos);
        expr->text = Next().text;
        return expr;
      }
      case Tok::kSymbol:
        if (t.text == "(") {
          Next();
          ExprPtr inner = Expression();
          ExpectSymbol(")");
          return inner;
        }
        Expected("an expression");
      case Tok::kName:
        return NamePrimary();
      default:
        Expected("an expression");
    }
  }

  ExprPtr NamePrimary() {
    const Token& t = Cur();
    if (t.lower == "true" || t.lower == "false") {
      auto expr = NewExpr(ExprKind::kBoolean, Next().pos);
      expr->intValue = t.lower == "true";
      return expr;
    }
    if (t.lower == "nil") return NewExpr(ExprKind::kNil, Next().pos);
    if (t.lower == "me") return NewExpr(ExprKind::kMe, Next().pos);
    if (t.lower == "self") return NewExpr(ExprKind::kSelf, Next().pos);
    if (t.lower == "new") {
      auto expr = NewExpr(ExprKind::kNew, Next().pos);
      expr->text = ExpectName("a class name").text;
      return expr;
    }
    if (kKeywords.count(t.lower)) Expected("an expression");
    auto expr = NewExpr(ExprKind::kName, t.pos);
    expr->text = Next().text;
    return expr;
  }

  SourceSet& sources_;
  int32_t file_;
  Diagnostics& diags_;
  Program& program_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int nesting_ = 0;
};

}  // namespace

void ParseFile(SourceSet& sources, int32_t file, Diagnostics& diags, Program& program) {
  Parser(sources, file, diags, program).ParseTopLevel();
}

Program ParseProject(SourceSet& sources, const std::string& path, Diagnostics& diags) {
  Program program;
  int32_t file = sources.Load(path);
  if (file < 0) {
    diags.Error("cannot read project file \"" + path + "\"");
    return program;
  }
  ParseFile(sources, file, diags, program);
  return program;
}

}  // namespace amxc
