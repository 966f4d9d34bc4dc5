# SPDX-License-Identifier: MIT
# fish completion for quorbin: the options with their meanings, and file
# names after -o, in the same word (-oFILE) or the next; nothing for the -d
# argument or the two operands, and nothing at all once -h is given.

# True while the words before the one completed give no -h (or -- first):
# the program stops at -h and looks at nothing after it. The word after a
# -d or -o that ends its word is that option's argument, not an option.
function __quorbin_no_help
    set -l words (commandline -opc)
    set -l argument 0
    for word in $words[2..-1]
        if test $argument = 1
            set argument 0
            continue
        end
        test "$word" = -- && return 0
        string match -q -- '-?*' $word || continue
        for letter in (string split '' -- (string sub -s 2 -- $word))
            switch $letter
                case h
                    return 1
                case d o
                    string match -q -- "*$letter" $word && set argument 1
                    break
            end
        end
    end
    return 0
end

# File names for -o: the current word, less the -o it starts with when the
# name is given in the option's own word.
function __quorbin_files
    set -l word (commandline -ct)
    set -l before (commandline -opc)
    if not string match -q -- '-*o' $before[-1]
        set word (string replace -r -- '^-[vh]*o' '' $word)
    end
    __fish_complete_path $word
end

complete -c quorbin -f
complete -c quorbin -n __quorbin_no_help -s d -x -d 'Work on DRIVELETTER:/bi2.bin'
complete -c quorbin -n __quorbin_no_help -s o -x -a '(__quorbin_files)' -d 'Work on this output file (wins over -d)'
complete -c quorbin -n __quorbin_no_help -s v -d 'Verbose mode'
complete -c quorbin -n __quorbin_no_help -s h -d 'Print the usage text and exit'
complete -c quorbin -n '__quorbin_no_help && __fish_should_complete_switches && not contains -- -- (commandline -opc)' \
    -a -- -d 'End of the options'
