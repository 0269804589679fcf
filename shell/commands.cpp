// The command registry.
#include "shell/commands.h"

namespace ov {

CommandRegistry& CommandRegistry::instance()
{
    static CommandRegistry registry;
    return registry;
}

void CommandRegistry::add(const std::string& name, CommandHandler handler)
{
    m_commands[name] = std::move(handler);
}

void CommandRegistry::addFileHandler(const std::string& name, FileHandler handler)
{
    m_fileHandlers[name] = std::move(handler);
}

void CommandRegistry::remove(const std::string& name)
{
    m_commands.erase(name);
    m_fileHandlers.erase(name);
}

void CommandRegistry::clear()
{
    m_commands.clear();
    m_fileHandlers.clear();
}

const CommandHandler* CommandRegistry::find(const std::string& name) const
{
    const auto it = m_commands.find(name);
    return it == m_commands.end() || !it->second ? nullptr : &it->second;
}

const FileHandler* CommandRegistry::findFileHandler(const std::string& name) const
{
    const auto it = m_fileHandlers.find(name);
    return it == m_fileHandlers.end() || !it->second ? nullptr : &it->second;
}

} // namespace ov
