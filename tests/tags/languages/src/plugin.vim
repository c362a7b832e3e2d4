let g:velkin_limit = 10
function! VelkinJump()
endfunction
command! VelkinJump call VelkinJump()
nnoremap <Leader>j :VelkinJump<CR>
augroup velkin
augroup END
