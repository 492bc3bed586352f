#include "platform/basic/ScriptObject.h"

#include "platform/automation/AutomationObject.h"
#include "platform/basic/Interpreter.h"
#include "platform/basic/ScriptStack.h"

namespace platform::basic {

using automation::DispatchPtr;
using automation::DISPID;
using automation::FAILED;
using automation::HRESULT;
using automation::SUCCEEDED;
using automation::Variant;

// An instance of a class module as automation clients see it: its public procedures and
// variables are its members; Class_Terminate runs when the last reference goes.
struct Interpreter::ScriptObjectImpl : automation::AutomationObject
{
    explicit ScriptObjectImpl(std::shared_ptr<ScriptObjectState> state)
        : AutomationObject(nullptr, AppLock::None), m_state(std::move(state))
    {
        m_state->object = this;
        for (const auto& p : m_state->module->procedures) {
            if (p->lower == "class_initialize" || p->lower == "class_terminate") {
                continue;
            }
            addName(p->lower);
        }
        for (const auto& v : m_state->module->variables) {
            addName(v.name);
        }
    }

    ~ScriptObjectImpl() override
    {
        Interpreter* in = m_state->interpreter;
        if (in) {
            for (auto& p : m_state->module->procedures) {
                if (p->lower == "class_terminate") {
                    // The instance is going: a failure in its terminate handler is dropped.
                    m_state->object = nullptr;
                    try {
                        runOnStack(StackKind::Script, [&] {
                            in->callProcedure(*m_state->module, *p, {}, nullptr, nullptr, m_state);
                        });
                    } catch (...) {
                    }
                }
            }
        }
        m_state->object = nullptr;
    }

    void addName(const std::string& lower)
    {
        for (const auto& n : m_names) {
            if (n == lower) {
                return;
            }
        }
        m_names.push_back(lower);
    }

    HRESULT GetIDsOfNames(std::string_view name, DISPID& dispid) override
    {
        for (size_t i = 0; i < m_names.size(); ++i) {
            if (automation::namesEqual(m_names[i], name)) {
                dispid = static_cast<DISPID>(i + 1);
                return automation::S_OK;
            }
        }
        return automation::DISP_E_UNKNOWNNAME;
    }

    HRESULT Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args, Variant* result,
                   automation::DispatchError* error) override
    {
        Interpreter* in = m_state->interpreter;
        if (!in || dispid < 1 || static_cast<size_t>(dispid) > m_names.size()) {
            return automation::DISP_E_MEMBERNOTFOUND;
        }
        const DispatchPtr keepAlive(this);
        const std::string& name = m_names[static_cast<size_t>(dispid) - 1];
        Module& module = *m_state->module;
        const bool put = flags & automation::DISPATCH_PROPERTYPUT;
        for (size_t i = 0; i < module.variables.size(); ++i) {
            if (module.variables[i].name != name) {
                continue;
            }
            Cell& cell = m_state->cells[i];
            if (put) {
                if (args.size() != 1) {
                    return automation::DISP_E_BADPARAMCOUNT;
                }
                cell.value = Value(args[0].value());
            } else if (result) {
                *result = cell.value.v;
            }
            return automation::S_OK;
        }
        Procedure* proc = nullptr;
        for (auto& p : module.procedures) {
            if (p->lower != name) {
                continue;
            }
            const bool isPut = p->kind == ProcKind::PropertyLet || p->kind == ProcKind::PropertySet;
            if (isPut == put) {
                proc = p.get();
            }
        }
        if (!proc) {
            return automation::DISP_E_MEMBERNOTFOUND;
        }
        std::vector<Value> values;
        for (size_t i = 0; i + (put ? 1 : 0) < args.size(); ++i) {
            values.emplace_back(args[i].value());
        }
        const Value putValue = put && !args.empty() ? Value(args.back().value()) : Value();
        // Inside a running script an error goes on to the caller's handler; a call from
        // outside gets it as the call's exception.
        Value r;
        const auto run = [&] {
            r = in->callProcedure(module, *proc, {}, nullptr, &values, m_state,
                                  put ? &putValue : nullptr);
        };
        if (in->runDepth() > 0) {
            if (!runOnStack(StackKind::Script, run)) {
                run();
            }
            if (result) {
                *result = r.v;
            }
            return automation::S_OK;
        }
        try {
            ++in->m_runDepth;
            if (!runOnStack(StackKind::Script, run)) {
                run();
            }
            --in->m_runDepth;
            if (result) {
                *result = r.v;
            }
            return automation::S_OK;
        } catch (const ScriptError& e) {
            --in->m_runDepth;
            if (error) {
                error->description = e.description;
            }
            return automation::DISP_E_EXCEPTION;
        } catch (...) {
            --in->m_runDepth;
            return automation::DISP_E_EXCEPTION;
        }
    }

    std::shared_ptr<ScriptObjectState> m_state;
    std::vector<std::string> m_names;
};

bool isScriptObject(automation::IDispatch* object)
{
    return dynamic_cast<Interpreter::ScriptObjectImpl*>(object) != nullptr;
}

DispatchPtr makeScriptObject(const std::shared_ptr<ScriptObjectState>& state)
{
    return DispatchPtr::adopt(new Interpreter::ScriptObjectImpl(state));
}

} // namespace platform::basic
