# bash completion for dyadmon-cli
_dyadmon_cli() {
    local cur prev words cword
    _init_completion || return

    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W 'compare snapshot --help --version' -- "$cur"))
        return
    fi
    case ${words[1]} in
    compare)
        case $prev in
        --unit)
            COMPREPLY=($(compgen -W '1 2 4 8 16' -- "$cur"))
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W 'log json summary' -- "$cur"))
            return
            ;;
        --lookahead | --bytes-per-line)
            return
            ;;
        --store)
            _filedir -d
            return
            ;;
        --log)
            _filedir
            return
            ;;
        esac
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--unit --lookahead --bytes-per-line --ansi --no-ansi --log --format
                --store --progress --no-progress --help' -- "$cur"))
            return
        fi
        _filedir
        ;;
    snapshot)
        if [[ $cword -eq 2 ]]; then
            COMPREPLY=($(compgen -W 'list add remove describe --help' -- "$cur"))
            return
        fi
        if [[ $prev == --store ]]; then
            _filedir -d
            return
        fi
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--store --help' -- "$cur"))
            return
        fi
        [[ ${words[2]} == add ]] && _filedir
        ;;
    esac
} &&
    complete -F _dyadmon_cli dyadmon-cli
