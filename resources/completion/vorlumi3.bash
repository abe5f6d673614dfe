# Bash completion of vlmc, vorlumi3-cli and vorlumi3, installed under each
# program's name. The options are read from the program's own --help, so
# they never fall behind it; values are completed from what each option
# takes: files of its kind, the MIDI destinations, the --print blocks.

# The options a --help text names, one a line.
_vorlumi3_options() {
  "$1" --help 2>/dev/null | grep -oE -- '(^|[][ ,])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[][ ,]//' | sort -u
}

# Folders and the files whose names end in one of the given extensions.
_vorlumi3_files() {
  local cur=$1 pattern
  pattern=$(printf '|%s' "${@:2}")
  compopt -o filenames 2>/dev/null
  local IFS=$'\n'
  COMPREPLY+=($(compgen -d -- "$cur"))
  COMPREPLY+=($(shopt -s extglob nocasematch; compgen -f -X "!*.@(${pattern:1})" -- "$cur"))
}

# A comma-separated list of blocks: the words before the last comma stay,
# the last one is completed from the blocks not named yet.
_vorlumi3_print_blocks() {
  local cur=$1 done_part="" word
  [[ $cur == *,* ]] && done_part=${cur%,*},
  local -a left=()
  for word in seed rhythm pattern source; do
    [[ ,$done_part == *,$word,* ]] || left+=("$done_part$word")
  done
  local IFS=$'\n'
  COMPREPLY=($(compgen -W "${left[*]}" -- "$cur"))
  compopt -o nospace 2>/dev/null
}

_vorlumi3_complete() {
  local program=$1 cur=${COMP_WORDS[COMP_CWORD]} option=""
  ((COMP_CWORD > 0)) && option=${COMP_WORDS[COMP_CWORD - 1]}
  # "--output=x" reaches us as three words: "--output", "=" and "x".
  if [[ $cur == = ]]; then
    cur=""
  elif [[ $option == = ]] && ((COMP_CWORD > 1)); then
    option=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  COMPREPLY=()
  # vlmc --lsp is a language server an editor starts: it takes nothing more.
  [[ $program == *vlmc && " ${COMP_WORDS[*]:0:COMP_CWORD} " == *" --lsp "* ]] && return
  case $option in
    -o | --output | --out) _vorlumi3_files "$cur" mid midi; return ;;
    --dump-source | --mml) _vorlumi3_files "$cur" vlm mml txt; return ;;
    --source-map) _vorlumi3_files "$cur" jsonl json; return ;;
    --wav)
      # In a batch (--count) --wav is a switch; otherwise it names a file.
      if [[ " ${COMP_WORDS[*]} " != *" --count "* ]]; then
        _vorlumi3_files "$cur" wav flac ogg oga
        return
      fi
      ;;
    --png) _vorlumi3_files "$cur" png; return ;;
    --settings) _vorlumi3_files "$cur" vr3; return ;;
    --scale-dat) _vorlumi3_files "$cur" dat; return ;;
    --out-dir)
      compopt -o filenames 2>/dev/null
      local IFS=$'\n'
      COMPREPLY=($(compgen -d -- "$cur"))
      return
      ;;
    --midi-out)
      local IFS=$'\n'
      COMPREPLY=($(compgen -W "$("$program" --list-midi-outputs 2>/dev/null)"$'\nvirtual' -- "$cur"))
      return
      ;;
    --diagnostics)
      COMPREPLY=($(compgen -W gnu -- "$cur"))
      return
      ;;
    --print) _vorlumi3_print_blocks "$cur"; return ;;
    --seed | --rhythm | --steps | --count | --first-seed | --jobs | --shard) return ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$(_vorlumi3_options "$program")" -- "$cur"))
  elif [[ $program == *vorlumi3 ]]; then
    _vorlumi3_files "$cur" vr3 vlm mml
  elif [[ $program == *vlmc ]]; then
    _vorlumi3_files "$cur" vlm mml txt
  fi
}

complete -F _vorlumi3_complete vlmc vorlumi3-cli vorlumi3
