# The start of every top-level script, sourced once ROOT is the repository: into it, the tools
# installed where one is missing, and the helpers for the Windows build and for Wine at hand.
cd "$ROOT"
source scripts/tools.sh
source scripts/wine-env.sh
tavrel_need_tools
