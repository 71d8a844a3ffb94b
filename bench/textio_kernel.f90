! The same internal writes as the C++ benchmark, done by the Fortran
! compiler's own formatted I/O: one value into one character record.
module textio_kernel
  use iso_c_binding, only: c_float, c_char
  implicit none
contains
  subroutine kernel_g13_6(x, out) bind(C, name="kernel_g13_6")
    real(c_float), value :: x
    character(kind=c_char), intent(out) :: out(13)
    character(len=13) :: record
    integer :: i
    write (record, '(G13.6)') x
    do i = 1, 13
      out(i) = record(i:i)
    end do
  end subroutine

  subroutine kernel_f7_1(x, out) bind(C, name="kernel_f7_1")
    real(c_float), value :: x
    character(kind=c_char), intent(out) :: out(7)
    character(len=7) :: record
    integer :: i
    write (record, '(F7.1)') x
    do i = 1, 7
      out(i) = record(i:i)
    end do
  end subroutine

  subroutine kernel_e12_5(x, out) bind(C, name="kernel_e12_5")
    real(c_float), value :: x
    character(kind=c_char), intent(out) :: out(12)
    character(len=12) :: record
    integer :: i
    write (record, '(E12.5)') x
    do i = 1, 12
      out(i) = record(i:i)
    end do
  end subroutine
end module textio_kernel
