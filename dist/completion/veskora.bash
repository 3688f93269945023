# bash completion for veskora: commands, value names, options and files.

_veskora_values() {
    case $1 in
        radio) echo --frequency ;;
        sx1280 | sx1276 | R2 | R9 | G2) echo --frequency --net-key --busy-sf ;;
        node | N9) echo --frequency --sub-net-key --super-id --sf --tx-period --station-0 --station-1 ;;
        netkeys | GM) echo --net-key-auto --net-key-{0..19} ;;
        nodes | RM) echo --snt --node-{1..30} ;;
    esac
}

# The site names of the site list beside the ID file ($VESKORA_IDS or the user's own).
_veskora_sites() {
    local ids=${VESKORA_IDS:-$HOME/Documents/Brenholt/Veskora/ids.xml}
    sed -n 's/^[[:space:]]*\[\([^]]*\)\][[:space:]]*$/\1/p' "${ids%/*}/sites.conf" 2>/dev/null
}

_veskora() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local output="--json -q --quiet -v --verbose --help"
    local command="" what="" i word
    # The command and its WHAT, stepping over options and the values they take.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            --gateway | --ids | --timeout | --retries | -o | --output | --site | --plan | --keep | --jobs) ((i++)) ;;
            --json | --service-stopped | -q | --quiet | -v | --verbose | --dry-run | --keep-going | --keep-partial) ;;
            -*) [[ $command == set ]] && ((i++)) ;;
            *)
                if [[ -z $command ]]; then
                    command=$word
                elif [[ -z $what ]]; then
                    what=$word
                fi
                ;;
        esac
    done

    case $prev in
        --site)
            mapfile -t COMPREPLY < <(compgen -W "$(_veskora_sites)" -- "$cur")
            return
            ;;
        --ids | -o | --output | --plan)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        --gateway | --timeout | --retries | --keep | --jobs) return ;;
    esac
    if [[ $command == set && $prev == --* && $prev != --json && $prev != --quiet && $prev != --verbose ]]; then
        return  # a value of the option before
    fi

    local words=""
    case $command in
        "")
            if [[ $cur == -* ]]; then
                words="--gateway --ids --site --timeout --retries --service-stopped --version $output"
            else
                words="get set read-all diff apply monitor site history drift"
            fi
            ;;
        get | set)
            if [[ -z $what ]]; then
                words="netkeys radio sx1280 sx1276 nodes node"
            elif [[ $command == set && $cur == -* ]]; then
                words="$(_veskora_values "$what") $output"
            elif [[ $cur == -* ]]; then
                words=$output
            fi
            ;;
        read-all) [[ $cur == -* ]] && words="-o --output --keep-partial $output" ;;
        apply | diff)
            if [[ $cur == -* ]]; then
                words=$output
                [[ $command == apply ]] && words="--dry-run --keep-going $words"
            else
                compopt -o filenames 2>/dev/null
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
                return
            fi
            ;;
        monitor) [[ $cur == -* ]] && words=$output ;;
        site)
            if [[ -z $what ]]; then
                words="add list show remove"
            elif [[ $cur == -* && $what == add ]]; then
                words="--gateway --ids --plan --keep $output"
            elif [[ $what == show || $what == remove ]]; then
                words=$(_veskora_sites)
            fi
            ;;
        history) [[ -z $what ]] && words=$(_veskora_sites) ;;
        drift) [[ $cur == -* ]] && words="--site --jobs $output" ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}

complete -F _veskora veskora
