// ovtool: runs the engines from the command line, for scripts, tests and
// benchmarks. Each command is its own source file; this file only dispatches.
#include <cstdio>
#include <cstring>

#ifdef OV_CMD_ls
int ovtoolLs(int argc, char** argv);
#endif
#ifdef OV_CMD_arc
int ovtoolArc(int argc, char** argv);
#endif
#ifdef OV_CMD_get
int ovtoolGet(int argc, char** argv);
#endif
#ifdef OV_CMD_res
int ovtoolRes(int argc, char** argv);
#endif
#ifdef OV_CMD_conv
int ovtoolConv(int argc, char** argv);
#endif
#ifdef OV_CMD_text
int ovtoolText(int argc, char** argv);
#endif
#ifdef OV_CMD_fileops
int ovtoolFileOps(int argc, char** argv);
#endif
#ifdef OV_CMD_attr
int ovtoolAttr(int argc, char** argv);
#endif
#ifdef OV_CMD_mkdir
int ovtoolMkdir(int argc, char** argv);
#endif
#ifdef OV_CMD_find
int ovtoolFind(int argc, char** argv);
#endif
#ifdef OV_CMD_drives
int ovtoolDrives(int argc, char** argv);
#endif
#ifdef OV_CMD_play
int ovtoolPlay(int argc, char** argv);
#endif
#ifdef OV_CMD_volume
int ovtoolVolume(int argc, char** argv);
#endif
#ifdef OV_CMD_cd
int ovtoolCd(int argc, char** argv);
#endif
#ifdef OV_CMD_sysinfo
int ovtoolSysinfo(int argc, char** argv);
#endif
#ifdef OV_CMD_rtf
int ovtoolRtf(int argc, char** argv);
#endif
#ifdef OV_CMD_life
int ovtoolLife(int argc, char** argv);
#endif
#ifdef OV_CMD_tetris
int ovtoolTetris(int argc, char** argv);
#endif
#ifdef OV_CMD_dial
int ovtoolDial(int argc, char** argv);
#endif
#ifdef OV_CMD_setup
int ovtoolSetup(int argc, char** argv);
#endif
#ifdef OV_CMD_mnu
int ovtoolMnu(int argc, char** argv);
#endif
#ifdef OV_CMD_format
int ovtoolFormat(int argc, char** argv);
#endif
#ifdef OV_CMD_video
int ovtoolVideo(int argc, char** argv);
#endif

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};

const Command commands[] = {
#ifdef OV_CMD_ls
    { "ls", ovtoolLs, "ls [--sort name|ext|size|date|none] [--hidden] [--mask M] PATH" },
#endif
#ifdef OV_CMD_arc
    { "arc", ovtoolArc, "arc l|t|x|ls|cp ..." },
#endif
#ifdef OV_CMD_get
    { "get", ovtoolGet, "get [--proxy host:port] [--user u:p] URL [FILE]" },
#endif
#ifdef OV_CMD_res
    { "res", ovtoolRes, "res FILE [PATH] | res --pages FILE" },
#endif
#ifdef OV_CMD_conv
    { "conv", ovtoolConv, "conv --from CP --to CP" },
#endif
#ifdef OV_CMD_text
    { "text", ovtoolText,
        "text FILE [--find TEXT [--case] [--word] [--up]] [--replace-all FIND REPL] [--save OUT]" },
#endif
#ifdef OV_CMD_fileops
    { "copy", ovtoolFileOps, "copy SRC... DEST" },
    { "move", ovtoolFileOps, "move SRC... DEST" },
    { "delete", ovtoolFileOps, "delete SRC..." },
#endif
#ifdef OV_CMD_attr
    { "attr", ovtoolAttr, "attr [+r|-r|+a|-a|+s|-s|+h|-h]... [--date \"yyyy-mm-dd hh:mm:ss\"] PATH" },
#endif
#ifdef OV_CMD_mkdir
    { "mkdir", ovtoolMkdir, "mkdir FOLDER NAME" },
    { "mkfile", ovtoolMkdir, "mkfile FOLDER NAME" },
#endif
#ifdef OV_CMD_find
    { "find", ovtoolFind, "find [--drive] MASKS PATH" },
#endif
#ifdef OV_CMD_drives
    { "drives", ovtoolDrives, "drives [--bar]" },
#endif
#ifdef OV_CMD_play
    { "play", ovtoolPlay, "play [--out PCMFILE] [--sink null|default] FILE" },
#endif
#ifdef OV_CMD_volume
    { "volume", ovtoolVolume, "volume [wave|midi|cd [LEVEL]]" },
#endif
#ifdef OV_CMD_cd
    { "cd", ovtoolCd, "cd tracks SOURCE | cd play SOURCE [--track N] [--to M] [--out FILE]" },
#endif
#ifdef OV_CMD_sysinfo
    { "sysinfo", ovtoolSysinfo, "sysinfo [PATH]" },
#endif
#ifdef OV_CMD_rtf
    { "rtf", ovtoolRtf, "rtf [--runs] FILE" },
#endif
#ifdef OV_CMD_life
    { "life", ovtoolLife, "life [--steps N] FILE" },
#endif
#ifdef OV_CMD_tetris
    { "tetris", ovtoolTetris, "tetris --pieces T,L,J,Z,S,I,O [--keys tlrud]" },
#endif
#ifdef OV_CMD_dial
    { "dial", ovtoolDial, "dial --list | ENTRY | --hangup ENTRY" },
#endif
#ifdef OV_CMD_setup
    { "setup", ovtoolSetup, "setup [--target DIR] [--yes] [--no-shortcuts] [PAYLOAD]" },
#endif
#ifdef OV_CMD_mnu
    { "mnu", ovtoolMnu, "mnu [--run N | --rewrite] FILE" },
#endif
#ifdef OV_CMD_video
    { "video", ovtoolVideo, "video current|modes|set W H [--keep|--revert-after S]" },
#endif
#ifdef OV_CMD_format
    { "format", ovtoolFormat,
        "format --image FILE | --device DEV --yes [--size KB] [--quick|--full] [--label L]" },
#endif
};

int usage()
{
    std::fprintf(stderr, "usage: ovtool COMMAND ...\n");
    for (const auto& command : commands)
        std::fprintf(stderr, "  ovtool %s\n", command.usage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    for (const auto& command : commands)
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(argc - 1, argv + 1);
    std::fprintf(stderr, "ovtool: unknown command '%s'\n", argv[1]);
    return usage();
}
